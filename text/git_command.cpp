#include "text/git_command.h"

#include <filesystem>

#if defined(_WIN32)
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace fs = std::filesystem;

namespace sondrel {
namespace {

// Settings of the repository's that would have git start a program of its choosing even for
// the plain questions asked here (the file system monitor is asked by every look at the
// index).
const std::vector<std::string> kNoPrograms = {"-c", "core.fsmonitor=false", "--no-pager"};

// The program `name` in the first absolute folder of PATH that holds it.
std::optional<fs::path> FindOnPath(const fs::path& name) {
#if defined(_WIN32)
    const wchar_t separator = L';';
    const wchar_t* value = _wgetenv(L"PATH");
    const std::wstring path = value != nullptr ? value : L"";
#else
    const char separator = ':';
    const char* value = std::getenv("PATH");
    const std::string path = value != nullptr ? value : "";
#endif
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t end = std::min(path.find(separator, start), path.size());
        const fs::path folder(path.substr(start, end - start));
        start = end + 1;
        std::error_code ec;
        if (folder.is_absolute() && fs::is_regular_file(folder / name, ec)) {
            return folder / name;
        }
    }
    return std::nullopt;
}

} // namespace

#if defined(_WIN32)

namespace {

// One argument of a command line as the C runtime splits it again.
std::wstring Quoted(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, L'\\');
    return quoted + L"\"";
}

} // namespace

std::optional<std::string> GitOutput(const std::vector<std::string>& arguments) {
    const std::optional<fs::path> git = FindOnPath(L"git.exe");
    if (!git) {
        return std::nullopt;
    }
    std::wstring line = Quoted(git->wstring());
    for (const std::vector<std::string>* list : {&kNoPrograms, &arguments}) {
        for (const std::string& argument : *list) {
            line += L" " + Quoted(fs::path(argument).wstring());
        }
    }
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherited, 0)) {
        return std::nullopt;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    HANDLE nothing =
        CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, 0, &inherited, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nothing;
    startup.hStdOutput = writeEnd;
    startup.hStdError = nothing;
    PROCESS_INFORMATION process{};
    // The program's own path is given: CreateProcess then looks nowhere else for it.
    const bool started = CreateProcessW(git->c_str(), line.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (nothing != INVALID_HANDLE_VALUE) {
        CloseHandle(nothing);
    }
    if (!started) {
        CloseHandle(readEnd);
        return std::nullopt;
    }
    std::string output;
    bool tooMuch = false;
    char piece[1 << 16];
    DWORD got = 0;
    while (ReadFile(readEnd, piece, sizeof piece, &got, nullptr) && got > 0) {
        tooMuch = tooMuch || output.size() + got > kMostGitOutput;
        if (!tooMuch) {
            output.append(piece, got); // read on past the most, so that git ends
        }
    }
    CloseHandle(readEnd);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return status == 0 && !tooMuch && !output.empty() ? std::optional(output) : std::nullopt;
}

#else

std::optional<std::string> GitOutput(const std::vector<std::string>& arguments) {
    const std::optional<fs::path> git = FindOnPath("git");
    if (!git) {
        return std::nullopt;
    }
    std::vector<std::string> words{git->string()};
    words.insert(words.end(), kNoPrograms.begin(), kNoPrograms.end());
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return std::nullopt;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, ends[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
    if (spawned != 0) {
        ::close(ends[0]);
        return std::nullopt;
    }
    std::string output;
    bool tooMuch = false;
    char piece[1 << 16];
    for (;;) {
        const ssize_t got = ::read(ends[0], piece, sizeof piece);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        const auto size = static_cast<std::size_t>(got);
        tooMuch = tooMuch || output.size() + size > kMostGitOutput;
        if (!tooMuch) {
            output.append(piece, size); // read on past the most, so that git ends
        }
    }
    ::close(ends[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    const bool succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return succeeded && !tooMuch && !output.empty() ? std::optional(output) : std::nullopt;
}

#endif

} // namespace sondrel
