#include "shell/forms.h"

namespace orvex {

TFormMain* FormMain = nullptr;
TFormSystem* FormSystem = nullptr;
TFormUpdate* FormUpdate = nullptr;
TFormWait* FormWait = nullptr;

}  // namespace orvex
