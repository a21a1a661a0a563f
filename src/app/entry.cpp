#include "app/entry.h"

#include "app/main_form.h"
#include "http/net_http.h"
#include "launcher/system_form.h"
#include "shell/application.h"
#include "shell/forms.h"
#include "shell/shell_classes.h"
#include "ui/ui_classes.h"
#include "updater/update_form.h"
#include "updater/wait_form.h"

namespace orvex {

namespace {

void RegisterResources() {
  RegisterShellClasses();
  RegisterHttpClasses();
  RegisterUiClasses();
  RegisterMainFormResources();
  RegisterLauncherResources();
  RegisterUpdaterResources();
  RegisterWaitFormResources();
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
