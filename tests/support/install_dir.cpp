#include "support/install_dir.h"

#include <fstream>

#include "platform/process.h"
#include "support/process_runner.h"

namespace orvex::test {

InstallDir::InstallDir(const std::string& name) : parent_("orvex-e2e") {
  path_ = std::filesystem::canonical(parent_.Path()) / name;
  record_ = path_ / "java-runs.txt";
  const std::filesystem::path runtime = path_ / std::string(platform::JavaRuntimeRelativePath());
  std::filesystem::create_directories(runtime.parent_path());
  std::filesystem::copy_file(ProgramPath("orvex-launcher"), Launcher());
  std::filesystem::copy_file(ProgramPath("stub-java"), runtime);
  ConfigureJava(std::chrono::milliseconds(0), 0);
}

std::string InstallDir::Dir() const {
  return (path_ / "").string();
}

std::string InstallDir::Launcher() const {
  return (path_ / (WindowsTarget() ? "orvex-launcher.exe" : "orvex-launcher")).string();
}

std::string InstallDir::JavaRuntime() const {
  return Dir() + std::string(platform::JavaRuntimeRelativePath());
}

void InstallDir::WriteSettings(const std::string& text) const {
  WriteFile(path_ / "setup.properties", text);
}

void InstallDir::CreateJar(const std::string& name) const {
  WriteFile(path_ / (name + ".jar"), "PK");
}

void InstallDir::ConfigureJava(std::chrono::milliseconds delay, int exitCode) const {
  const std::filesystem::path runtime = path_ / std::string(platform::JavaRuntimeRelativePath());
  WriteFile(runtime.parent_path() / "stub-java.conf",
            "record=" + record_.string() + "\ndelay_ms=" + std::to_string(delay.count()) +
                "\nexit=" + std::to_string(exitCode) + "\n");
}

void InstallDir::FailJavaFor(const std::filesystem::path& jar, int exitCode) const {
  const std::filesystem::path conf =
      (path_ / std::string(platform::JavaRuntimeRelativePath())).parent_path() / "stub-java.conf";
  WriteFile(conf, ReadFile(conf) + "fail_jar=" + jar.string() +
                      "\nfail_exit=" + std::to_string(exitCode) + "\n");
}

platform::EnvironmentOverrides InstallDir::Environment() const {
  return {{WindowsTarget() ? "APPDATA" : "XDG_DATA_HOME", (parent_.Path() / "userdata").string()}};
}

std::vector<JavaRun> InstallDir::JavaRuns() const {
  std::vector<JavaRun> runs;
  std::ifstream in(record_, std::ios::binary);
  bool complete = false;
  for (std::string line; std::getline(in, line);) {
    if (line == "run") {
      runs.emplace_back();
      complete = false;
    } else if (line == "end") {
      complete = true;
    } else if (!runs.empty() && line.starts_with("cmdline=")) {
      runs.back().commandLine = line.substr(8);
    } else if (!runs.empty() && line.starts_with("arg=")) {
      runs.back().arguments.push_back(line.substr(4));
    } else if (!runs.empty() && line.starts_with("handle=")) {
      runs.back().handles.push_back(line.substr(7));
    }
  }
  // A block still being written is not counted yet.
  if (!runs.empty() && !complete) runs.pop_back();
  return runs;
}

}  // namespace orvex::test
