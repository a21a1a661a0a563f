#include "shell/entry.h"

#include "launcher/system_form.h"
#include "shell/application.h"
#include "shell/forms.h"
#include "shell/main_form.h"
#include "shell/shell_classes.h"

namespace orvex {

namespace {

void RegisterResources() {
  RegisterShellClasses();
  RegisterMainFormResources();
  RegisterLauncherResources();
}

}  // namespace

int ProgramEntry() {
  try {
    RegisterResources();
    Application->Initialize();
    Application->SetMainFormOnTaskBar(true);
    Application->SetTitle("Tramelo Orvex IP");
    Application->CreateForm(FormMain);
    Application->Run();
  } catch (const Exception& failure) {
    Application->ShowErrorBox(failure);
  } catch (...) {
    Application->ShowErrorBox(Exception());
  }
  return 0;
}

}  // namespace orvex
