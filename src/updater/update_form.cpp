#include "updater/update_form.h"

#include "http/net_http.h"
#include "platform/files.h"
#include "settings/ini_file.h"
#include "shell/command_line.h"
#include "shell/forms.h"

namespace orvex {

namespace {

const char kSettingsFile[] = "setup.properties";

}  // namespace

TFormUpdate::TFormUpdate(TComponent* owner) : TForm(owner) {
  LoadDescription("TFormUpdate");
  NetHTTPClient = DescribedComponent<TNetHTTP>(*this, "NetHTTPClient");
  LoadSettings();
  ChooseDataDir();
  LoadLocalVersion();
  // The jar name is used as read here; only the directory name is trimmed.
  TmpFile = DataDir + JarName + ".tmp";
  JarFile = DataDir + JarName + ".jar";
  OldFile = DataDir + JarName + ".old";
}

void TFormUpdate::LoadSettings() {
  try {
    TIniFile ini(ExeDir() + kSettingsFile);
    AppDataUpdate = ini.ReadNumber("UPDATE", "appDataUpdate", 1);
    Url = ini.ReadText("UPDATE", "url", "");
    JarName = ini.ReadText("RUN", "jarName", "AppRunner");
    InstalledVersion = ini.ReadNumber("UPDATE", "version", 1);
    // A company's own CA for the update server; when named but unusable, every check fails.
    const std::string caFile = ini.ReadText("UPDATE", "caFile", "");
    if (!caFile.empty()) NetHTTPClient->LoadTrustAnchors(ExeDir() + caFile);
    ini.Close();
  } catch (...) {
    // Settings are optional: whatever was read so far stays, the rest keeps its default.
  }
}

void TFormUpdate::ChooseDataDir() {
  if (AppDataUpdate != 0) {
    UseAppDataDir();
  } else {
    DataDir = ExeDir();
  }
}

void TFormUpdate::UseAppDataDir() {
  try {
    DataDir = platform::UserDataDirectory();
    if (DataDir != "" && DataDir != "0") {
      const char separator = platform::kPathSeparator;
      DataDir += std::string(1, separator) + "." + TrimBlanks(JarName) + separator;
      // One level only: a missing parent makes the later download fail, not this step.
      if (!platform::DirectoryExists(DataDir)) platform::MakeDirectory(DataDir);
    } else {
      DataDir = ExeDir();
    }
  } catch (...) {
    DataDir = ExeDir();
  }
}

void TFormUpdate::LoadLocalVersion() {
  try {
    TIniFile ini(DataDir + kSettingsFile);
    LocalVersion = ini.ReadNumber("UPDATE", "version", 1);
    ini.Close();
  } catch (...) {
  }
}

void TFormUpdate::SaveLocalVersion() {
  try {
    TIniFile ini(DataDir + kSettingsFile);
    ini.WriteNumber("UPDATE", "version", LocalVersion);
    ini.Close();
  } catch (...) {
    // The version stays as recorded before; the next run downloads again.
  }
}

}  // namespace orvex

namespace orvex {

void RegisterUpdaterResources() {
  FormDescription description;
  // The client's stored settings; the time limits keep a silent server from holding up the
  // application's start, and a URL with a user name and password is answered in process.
  description.components = {
      {"TNetHTTP",
       "NetHTTPClient",
       {{"MaxAuthRetries", std::int64_t{1}},
        {"AllowCookies", true},
        {"HTTPOptions", std::string("[hoInProcessAuth,hoForceEncodeParams]")},
        {"ConnectTimeout", std::int64_t{15000}},
        {"ReadTimeout", std::int64_t{30000}},
        {"ProxyParams.ProxyPort", std::int64_t{0}},
        {"ProxyParams.BasicAuthentication", false},
        {"Request.Accept", std::string("text/html, */*")},
        {"Request.UserAgent", std::string("Mozilla/3.0 (compatible; Orvex Updater)")},
        {"Request.BasicAuthentication", false},
        {"Request.ContentLength", std::int64_t{-1}},
        {"Request.ContentRangeStart", std::int64_t{-1}},
        {"Request.ContentRangeEnd", std::int64_t{-1}},
        {"Request.ContentRangeInstanceLength", std::int64_t{-1}}}},
  };
  RegisterFormDescription("TFormUpdate", std::move(description));
}

}  // namespace orvex
