#pragma once
// Requests and responses between window procedures. A procedure that asks
// another to insert, change, delete, view or select a record puts the
// request in the thread's global request, runs it, and reads the outcome
// from the thread's global response.
//
//   GlobalRequest() = Request::Change;
//   update_Settings();
//   if (GlobalResponse() == Response::Completed) reload();

#include <cstdint>

namespace zor::fw {

namespace Request {
inline constexpr uint8_t None = 0;
inline constexpr uint8_t Insert = 1;
inline constexpr uint8_t Change = 2;
inline constexpr uint8_t Delete = 3;
inline constexpr uint8_t Select = 4;
inline constexpr uint8_t View = 6;
// Set while a save button other than OK is processed.
inline constexpr uint8_t SaveAndStay = 7;
}  // namespace Request

namespace Response {
inline constexpr uint8_t None = 0;
inline constexpr uint8_t Completed = 1;
inline constexpr uint8_t Cancelled = 2;
}  // namespace Response

// The calling thread's global request, response and navigation request.
uint8_t& GlobalRequest();
uint8_t& GlobalResponse();
int32_t& VCRRequest();

}  // namespace zor::fw
