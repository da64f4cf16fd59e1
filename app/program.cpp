#include "app/program.h"

#include <cfenv>
#include <mutex>

#include "app/dictionary.h"
#include "app/program_globals.h"
#include "platform/program_path.h"
#include "platform/system_parameters.h"
#include "platform/threads.h"
#include "runtime/locale.h"
#include "ui/properties.h"
#include "ui/statements.h"

namespace qv {

namespace {

constexpr uint32_t kUpdateAndBroadcast =
    zor::platform::SPIF_UPDATEINIFILE | zor::platform::SPIF_SENDCHANGE;

void switchOffDragFullWindows(ProgramGlobals& globals) {
  zor::platform::systemParametersInfo(zor::platform::SPI_GETDRAGFULLWINDOWS, 0,
                                      &globals.dragFullWindowsRead, 0);
  if (globals.dragFullWindowsRead == 1) {
    zor::platform::systemParametersInfo(zor::platform::SPI_SETDRAGFULLWINDOWS, 0,
                                        &globals.dragFullWindowsSet, kUpdateAndBroadcast);
  }
}

void restoreDragFullWindows(ProgramGlobals& globals) {
  if (globals.dragFullWindowsRead == 1) {
    zor::platform::systemParametersInfo(zor::platform::SPI_SETDRAGFULLWINDOWS, 1,
                                        &globals.dragFullWindowsSet, kUpdateAndBroadcast);
  }
}

}  // namespace

ProgramGlobals& programGlobals() {
  static ProgramGlobals globals;
  return globals;
}

TextMatcher* TextMatcher::Self = nullptr;

bool initialiseWindowSystemOnce(const std::function<bool()>& init) {
  // A second caller returns at once with the first caller's answer (or waits
  // for it while the first initialisation is still running).
  static std::once_flag once;
  static bool initialised = false;
  std::call_once(once, [&] { initialised = init ? init() : true; });
  return initialised;
}

void registerThreadHooks() {
  static std::once_flag registered;
  std::call_once(registered, [] {
    zor::platform::addThreadHooks(
        [](int threadNumber) {
          if (threadNumber != 1) dictionarySetUp();
        },
        [](int) { dictionaryTearDown(); });
  });
}

bool runProgramBody(const ProgramParts& parts) {
  if (!initialiseWindowSystemOnce(parts.initWindowSystem)) return false;
  ProgramGlobals& globals = programGlobals();

  globals.errorReporter = &zor::fw::ErrorReporter::Global();
  globals.errorReporter->Init();

  globals.textMatcher = std::make_unique<TextMatcher>();
  globals.textMatcher->Init();
  TextMatcher::Self = globals.textMatcher.get();
  globals.textMatcher->SetOption1(true);
  globals.textMatcher->SetOption2(false);

  globals.iniManager = std::make_unique<zor::fw::INIManager>();
  globals.iniManager->Bind(kIniFileName, 0, 0);

  dictionarySetUp();
  globals.defaultWindowIcon = kDefaultWindowIcon;
  zor::ui::setProperty(zor::ui::SystemTarget, zor::ui::PROP::Icon, kDefaultWindowIcon);
  switchOffDragFullWindows(globals);

  if (parts.mainWindow) parts.mainWindow();

  globals.iniManager->Update();
  restoreDragFullWindows(globals);
  globals.iniManager->Release();
  globals.iniManager.reset();
  globals.textMatcher->Kill();
  TextMatcher::Self = nullptr;
  globals.textMatcher.reset();
  return true;
}

void startRuntime() {
  // The locale comes first: its message overrides replace error texts that
  // anything later may show.
  zor::setProgramPath(zor::platform::programPath());
  zor::initialiseLocale();
  registerThreadHooks();
}

int runProcess(const ProgramParts& parts) {
  std::feclearexcept(FE_ALL_EXCEPT);
  startRuntime();
  if (!runProgramBody(parts)) {
    // A program that could show no window did not do its job: say so in
    // the exit code.
    return 1;
  }
  // The end of thread 1 tears down its file objects; the error reporter
  // stays to the very end of the process.
  zor::platform::runThreadEndHooks();
  return 0;
}

}  // namespace qv
