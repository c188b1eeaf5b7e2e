#include "tests/support/ChildProcess.h"

#include "tests/support/DeviceFixture.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

namespace kavro::test {

namespace {

std::string readText(const std::filesystem::path& path) {
  auto bytes = readFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

ProgramResult runProgram(const std::string& binary, ProgramRun run) {
  TemporaryFolder outputs;
  const auto out = outputs.path() / "out";
  const auto err = outputs.path() / "err";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (!run.workingFolder.empty()) posix_spawn_file_actions_addchdir_np(&actions, run.workingFolder.c_str());

  std::vector<std::string> arguments = std::move(run.arguments);
  arguments.insert(arguments.begin(), binary);
  std::vector<char*> argv, envp;
  for (auto& argument : arguments) argv.push_back(argument.data());
  for (auto& variable : run.environment) envp.push_back(variable.data());
  argv.push_back(nullptr);
  envp.push_back(nullptr);

  ProgramResult result;
  pid_t pid = 0;
  if (posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  result.out = readText(out);
  result.err = readText(err);
  return result;
}

}  // namespace kavro::test
