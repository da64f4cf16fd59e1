#include "framework/requests.h"

namespace zor::fw {

uint8_t& GlobalRequest() {
  thread_local uint8_t request = Request::None;
  return request;
}

uint8_t& GlobalResponse() {
  thread_local uint8_t response = Response::None;
  return response;
}

int32_t& VCRRequest() {
  thread_local int32_t request = 0;
  return request;
}

}  // namespace zor::fw
