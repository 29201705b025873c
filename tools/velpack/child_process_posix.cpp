#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "child_process.h"

extern char** environ;

namespace velpack {

ProcessRun runProgram(const std::vector<std::string>& arguments, const fs::path& output) {
    ProcessRun run;
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t child = 0;
    const int started = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) {
        run.failure = started == ENOENT ? "not found on the PATH" : std::strerror(started);
        return run;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            run.failure = std::strerror(errno);
            return run;
        }
    }
    if (WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
    } else {
        run.failure = "ended by signal " + std::to_string(WTERMSIG(status));
    }
    return run;
}

fs::path makeTemporaryFolder(const std::string& stem) {
    std::error_code error;
    std::string pattern = (fs::temp_directory_path(error) / (stem + "-XXXXXX")).string();
    if (error || !::mkdtemp(pattern.data())) return {};
    return pattern;
}

}  // namespace velpack
