#include "updater/update_form.h"

#include "core/text.h"
#include "http/net_http.h"
#include "log/launcher_log.h"
#include "platform/files.h"
#include "settings/ini_file.h"
#include "shell/command_line.h"
#include "shell/forms.h"
#include "updater/run_settings.h"

namespace orvex {

namespace {

const char kSettingsFile[] = "setup.properties";
constexpr std::int32_t kDefaultMaxSizeMiB = 1024;

// Creates the directory and every missing parent; true when it exists afterwards.
bool MakeDirectoryPath(const std::string& path) {
  for (std::size_t at = path.find(platform::kPathSeparator, 1); at != std::string::npos;
       at = path.find(platform::kPathSeparator, at + 1)) {
    const std::string parent = path.substr(0, at);
    if (!platform::DirectoryExists(parent)) platform::MakeDirectory(parent);
  }
  if (!platform::DirectoryExists(path)) platform::MakeDirectory(path);
  return platform::DirectoryExists(path);
}

}  // namespace

TFormUpdate::TFormUpdate(TComponent* owner) : TForm(owner) {
  LoadDescription("TFormUpdate");
  NetHTTPClient = DescribedComponent<TNetHTTP>(*this, "NetHTTPClient");
  LoadSettings();
  ChooseDataDir();
  // The log lives beside the updates; lines written before this moment were kept for it.
  Log().Open(DataDir + kLogFileName);
  LoadLocalVersion();
  // The jar name is used as read here; only the directory name is trimmed.
  TmpFile = DataDir + JarName + ".tmp";
  JarFile = DataDir + JarName + ".jar";
  OldFile = DataDir + JarName + ".old";
  PartFile = JarFile + ".part";
  LockFile = DataDir + JarName + ".lock";
  FailedFile = DataDir + JarName + ".failed";
  LoadRollbackState();
  Log().Write("settings",
              {Field("section", "UPDATE"), Field("url", MaskUrlPassword(Url)),
               Field("appDataUpdate", AppDataUpdate), Field("version", InstalledVersion),
               Field("dataDir", DataDir), Field("localVersion", LocalVersion),
               Field("backupVersion", BackupVersion), Field("failedVersion", FailedVersion),
               Field("watchedVersion", Watch.watchedVersion), Field("badStarts", Watch.badStarts)});
}

void TFormUpdate::LoadSettings() {
  try {
    TIniFile ini(ExeDir() + kSettingsFile);
    AppDataUpdate = ini.ReadNumber("UPDATE", "appDataUpdate", 1);
    Url = ini.ReadText("UPDATE", "url", "");
    JarName = ini.ReadText("RUN", "jarName", "AppRunner");
    InstalledVersion = ini.ReadNumber("UPDATE", "version", 1);
    MaxSizeMiB = ini.ReadNumber("UPDATE", "maxSize", kDefaultMaxSizeMiB);
    if (MaxSizeMiB <= 0) MaxSizeMiB = kDefaultMaxSizeMiB;
    PublicKey = ini.ReadText("UPDATE", "publicKey", "");
    // A company's own CA for the update server; when named but unusable, every check fails.
    const std::string caFile = ini.ReadText("UPDATE", "caFile", "");
    if (!caFile.empty()) NetHTTPClient->LoadTrustAnchors(ExeDir() + caFile);
    ini.Close();
  } catch (...) {
    // Settings are optional: whatever was read so far stays, the rest keeps its default.
    Log().Write("failure",
                {Field("step", "update-settings"), Field("error", CurrentExceptionText())});
  }
  // The jar name becomes file names in the data directory: one that could leave it is refused.
  CheckJarName(JarName);
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
      DataDir += std::string(1, separator) + "." + Trim(JarName) + separator;
      // Parents too: an account without the data directory's parent would never update.
      MakeDirectoryPath(DataDir.substr(0, DataDir.size() - 1));
    } else {
      DataDir = ExeDir();
    }
  } catch (...) {
    Log().Write("failure", {Field("step", "data-dir"), Field("error", CurrentExceptionText())});
    DataDir = ExeDir();
  }
}

void TFormUpdate::LoadLocalVersion() {
  try {
    TIniFile ini(DataDir + kSettingsFile);
    LocalVersion = ini.ReadNumber("UPDATE", "version", 1);
    ini.Close();
  } catch (...) {
    Log().Write("failure",
                {Field("step", "local-version"), Field("error", CurrentExceptionText())});
  }
}

void TFormUpdate::SaveLocalVersion() {
  try {
    TIniFile ini(DataDir + kSettingsFile);
    ini.WriteNumber("UPDATE", "version", LocalVersion);
    ini.Close();
  } catch (...) {
    // The version stays as recorded before; the next run downloads again.
    Log().Write("failure", {Field("step", "save-version"), Field("error", CurrentExceptionText())});
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
