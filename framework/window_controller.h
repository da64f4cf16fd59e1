#pragma once
// The base class of every window procedure. It opens the procedure's
// window from its compiled definition, runs the window's event loop and
// routes each event to its own handlers and to its registered components
// (browses, resizer, column sorter); for a form it carries out the request
// it was called with (insert, change, delete, view, select): it primes the
// record, saves it as the form's actions say, asks before changes are lost,
// and reports completed or cancelled to its caller.
//
// A procedure derives from it and overrides the operations it needs,
// calling the base operation from the override:
//
//   class UpdateSections : public WindowController {
//     uint8_t Bind() override {
//       REQUEST = GlobalRequest();
//       if (uint8_t level = WindowController::Bind()) return level;
//       ... registrations, open files, PrimeForRequest, OpenWindow ...
//       return Level::Benign;
//     }
//   };
//   void update_Sections() { UpdateSections procedure; GlobalResponse() = procedure.Run(); }

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/file_control_block.h"
#include "framework/error_reporter.h"
#include "framework/field_ref.h"
#include "framework/requests.h"
#include "framework/window_component.h"
#include "runtime/field_descriptor.h"
#include "ui/window.h"

namespace zor::fw {

class FileManager;
class RelationManager;
class Toolbar;
class WindowResizer;

// What a form does after a successful insert (INSERTACTION).
namespace InsertAction {
inline constexpr uint8_t None = 0;
inline constexpr uint8_t Close = 2;  // completed, close the form
inline constexpr uint8_t Stay = 3;   // prime a new record at once
inline constexpr uint8_t Ask = 4;    // "Record Added": add another?
}  // namespace InsertAction

// What closing a changed form does (CANCELACTION).
namespace CancelAction {
inline constexpr uint8_t Close = 0;    // close without a question
inline constexpr uint8_t Save = 1;     // press Save instead
inline constexpr uint8_t Confirm = 2;  // "Changes will be lost!"
inline constexpr uint8_t Ask = 3;      // "Save Record": Yes, No or Cancel
}  // namespace CancelAction

// DELETEACTION: 2 deletes while priming with confirmation, 4 without.
namespace DeleteAction {
inline constexpr uint8_t Confirm = 2;
inline constexpr uint8_t Quiet = 4;
}  // namespace DeleteAction

struct ButtonEntry {
  int Control = 0;
  uint8_t Response = 0;
};

struct HistoryEntry {
  int Control = 0;
  uint16_t Field = 0;  // 1-based field of the history record
};

// A file manager whose record the form edits, with the buffer saved when
// the record was primed.
struct EditedFile {
  FileManager* Manager = nullptr;
  uint16_t Saved = 0;
};

class WindowController {
 public:
  // The window is made from the definition `label` of `owningName` when
  // OpenWindow runs.
  WindowController(std::string owningName, std::string label);
  virtual ~WindowController();
  WindowController(const WindowController&) = delete;
  WindowController& operator=(const WindowController&) = delete;

  // Slots, in order.
  virtual uint8_t RunLoop();                                 // 0
  virtual uint8_t Bind();                                    // 1
  virtual uint8_t Release();                                 // 2
  virtual void RefreshWindow();                              // 3
  virtual void OpenWindow();                                 // 4
  virtual void PrimeNewRecord();                             // 5
  virtual uint8_t PrimeForRequest();                         // 6
  virtual void RestoreFromHistory(int control);              // 8
  virtual uint8_t Run();                                     // 9
  virtual uint8_t Run(uint16_t procedure, uint8_t request);  // 10
  virtual void SetKeyAlerts();                               // 11
  virtual void CloseWithResponse(uint8_t response);          // 12
  virtual uint8_t OnAccepted();                              // 13
  virtual uint8_t OnCompleted();                             // 14
  virtual uint8_t OnCloseRequest();                          // 15
  virtual uint8_t OnEvent();                                 // 16
  virtual uint8_t OnFieldEvent();                            // 17
  virtual uint8_t OnNewSelection();                          // 18
  virtual uint8_t OnRejected();                              // 20
  virtual uint8_t OnSelected();                              // 21
  virtual uint8_t OnWindowEvent();                           // 22
  virtual void PullControls();                               // 23
  virtual uint8_t SaveInsert();                              // 25
  virtual uint8_t SaveChange();                              // 26
  virtual uint8_t SaveDelete();                              // 27
  virtual uint8_t SaveAndStayChange();                       // 28
  virtual uint8_t SaveAndStayInsert();                       // 29

  // Registrations, from a derived Bind.
  void RegisterButton(int control, uint8_t response);
  void SetToolbar(Toolbar& toolbar);
  void RegisterEditedFile(FileManager& manager);
  void RegisterComponent(WindowComponent& component);
  void RegisterHistoryRecord(const RecordLayout& layout, std::vector<uint8_t>& record,
                             std::vector<uint8_t>& history);
  void RegisterHistoryField(int control, uint16_t field);
  // Controls whose variable is a field of this table show that field.
  void BindRecord(data::FileControlBlock& table);

  // The window, once open.
  ui::Window* Window() const { return MYWINDOW; }

  // Fields, in declaration order.
  uint8_t AUTOREFRESH = 0;
  uint8_t AUTOTOOLBAR = 0;
  std::unique_ptr<std::vector<ButtonEntry>> BUTTONS;
  std::unique_ptr<std::vector<WindowComponent*>> CL;
  uint8_t CANCELACTION = 0;
  uint8_t CHANGEACTION = 0;
  uint8_t DEAD = 0;
  uint8_t DELETEACTION = 0;
  uint8_t BATCHPROCESSING = 0;
  ErrorReporter* ERRORS = nullptr;
  std::unique_ptr<std::vector<EditedFile>> FILES;
  uint8_t FILESOPENED = 0;
  int32_t FIRSTFIELD = 0;
  uint8_t FORCEDRESET = 0;
  std::unique_ptr<std::vector<HistoryEntry>> HISTORY;
  int32_t HISTORYKEY = 0;
  uint8_t INITED = 0;
  uint8_t INSERTACTION = 0;
  std::string LASTINSERTEDPOSITION;
  int32_t OKCONTROL = 0;
  int32_t SAVECONTROL = 0;
  uint8_t DISABLECANCELBUTTON = 0;
  uint8_t OPENED = 0;
  uint8_t ORIGINALREQUEST = 0;
  uint8_t RECORDSAVED = 0;
  uint8_t BEFORESAVEREQUEST = 0;
  RelationManager* PRIMARY = nullptr;
  uint8_t REQUEST = 0;
  uint8_t RESETONGAINFOCUS = 0;
  WindowResizer* RESIZE = nullptr;
  uint8_t RESPONSE = 0;
  uint16_t SAVED = 0;
  WindowComponent* FORMVCR = nullptr;
  Toolbar* TOOLBAR = nullptr;
  void* TRANSLATOR = nullptr;
  int32_t* VCRREQUEST = nullptr;
  ui::Window* MYWINDOW = nullptr;
  ui::Window* OWNERWINDOW = nullptr;

 protected:
  // The error reporter in use (ERRORS, else the process-wide one).
  ErrorReporter& Errors();
  // The primary file manager, or null.
  FileManager* PrimaryFile() const;
  // Every control bound to a variable shows its value again (the one being
  // typed into excepted): records the event changed show at once.
  void DisplayVariables();
  // Moves the focus back to FIRSTFIELD (or to the control after it when it
  // takes no focus, as a prompt does).
  void SelectFirstField();
  // Posts an event to this window.
  void PostEvent(uint32_t event, int control = 0);
  // Primes the primary record for one more insert while the form stays.
  uint8_t PrimeAnotherInsert();
  // Copies the primary record into the history copy before a save.
  void SaveHistory();

 private:
  void SaveEditedBuffers();
  void FreeEditedBuffers();

  std::string owningName_;
  std::string label_;
  std::unique_ptr<ui::Window> window_;
  const RecordLayout* historyLayout_ = nullptr;
  std::vector<uint8_t>* historyRecord_ = nullptr;
  std::vector<uint8_t>* historyCopy_ = nullptr;
  std::vector<data::FileControlBlock*> boundRecords_;
};

}  // namespace zor::fw
