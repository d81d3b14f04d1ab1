// What poiguard-import-pois needs of Windows besides its download.
#include <windows.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "../seam.h"

namespace {

std::wstring wide(const std::string& text)
{
    int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring out(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &out[0], n);
    return out;
}

bool said(char* why, size_t size, DWORD error)
{
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, why,
                             static_cast<DWORD>(size), nullptr);
    while (n > 0 && (why[n - 1] == '\r' || why[n - 1] == '\n' || why[n - 1] == '.')) --n;
    if (n == 0) n = static_cast<DWORD>(snprintf(why, size, "error %lu", error));
    why[n] = '\0';
    return false;
}

std::string folderOf(const std::string& path)
{
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// One argument as the C run-time splits a command line.
std::string quoted(const std::string& argument)
{
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
        } else {
            out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
            backslashes = 0;
        }
        if (c != '\\') out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

}  // namespace

// The new list beside the old one, on the disk before the move; the move
// itself written through, so that a power cut leaves one list or the other.
bool replaceFile(const char* path, const char* text, size_t size, char* why, size_t whySize)
{
    std::string temporary = folderOf(path) + ".import-pois." + std::to_string(GetCurrentProcessId());
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return said(why, whySize, GetLastError());
    DWORD written = 0;
    bool ok = WriteFile(file, text, static_cast<DWORD>(size), &written, nullptr) && written == size &&
              FlushFileBuffers(file);
    DWORD error = GetLastError();
    CloseHandle(file);
    if (ok && MoveFileExW(wide(temporary).c_str(), wide(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    error = ok ? GetLastError() : error;
    DeleteFileA(temporary.c_str());
    return said(why, whySize, error);
}

int runProgram(const char* const* arguments, const char* output, const char* errors)
{
    char program[MAX_PATH];
    if (!SearchPathA(nullptr, arguments[0], ".exe", sizeof program, program, nullptr)) return -1;
    std::string line;
    for (const char* const* a = arguments; *a; ++a) line += (line.empty() ? "" : " ") + quoted(*a);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileA(output, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    HANDLE err = CreateFileA(errors, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    start.hStdOutput = out;
    start.hStdError = err;
    PROCESS_INFORMATION child{};
    bool started = CreateProcessA(program, &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &start, &child);
    CloseHandle(out);
    CloseHandle(err);
    if (!started) return -1;
    WaitForSingleObject(child.hProcess, INFINITE);
    DWORD status = 1;
    GetExitCodeProcess(child.hProcess, &status);
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);
    return static_cast<int>(status);
}

bool onTerminal() { return _isatty(_fileno(stderr)); }

void pauseSeconds(int seconds) { Sleep(static_cast<DWORD>(seconds) * 1000); }

bool makeWorkFolder(char* path, size_t size)
{
    char temp[MAX_PATH];
    if (!GetTempPathA(sizeof temp, temp)) return false;
    static unsigned made = 0;  // several within one tick of the clock
    snprintf(path, size, "%simport-pois.%lu.%llu.%u", temp, GetCurrentProcessId(), GetTickCount64(), ++made);
    return CreateDirectoryA(path, nullptr);
}

void removeFolder(const char* path)
{
    WIN32_FIND_DATAA found;
    HANDLE each = FindFirstFileA((std::string(path) + "\\*").c_str(), &found);
    if (each != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((std::string(path) + "\\" + found.cFileName).c_str());
        } while (FindNextFileA(each, &found));
        FindClose(each);
    }
    RemoveDirectoryA(path);
}

namespace {

// schtasks with its arguments; its own words on failure, else the words given.
bool schtasks(const char* const* arguments, const char* silent, char* why, size_t whySize)
{
    char folder[MAX_PATH];
    if (!makeWorkFolder(folder, sizeof folder)) return said(why, whySize, GetLastError());
    std::string out = std::string(folder) + "\\out.txt", err = std::string(folder) + "\\err.txt";
    int status = runProgram(arguments, out.c_str(), err.c_str());
    if (status != 0) {
        FILE* f = fopen(err.c_str(), "rb");
        size_t n = f ? fread(why, 1, whySize - 1, f) : 0;
        if (f) fclose(f);
        while (n > 0 && (why[n - 1] == '\r' || why[n - 1] == '\n')) --n;
        why[n] = '\0';
        if (status < 0) snprintf(why, whySize, "schtasks.exe is not on the PATH");
        else if (n == 0) snprintf(why, whySize, "%s (schtasks.exe: status %d)", silent, status);
    }
    removeFolder(folder);
    return status == 0;
}

}  // namespace

bool registerWeeklyTask(const char* name, const char* definition, char* why, size_t whySize)
{
    // The Task Scheduler reads its XML in UTF-16, as its declaration says.
    char folder[MAX_PATH];
    if (!makeWorkFolder(folder, sizeof folder)) return said(why, whySize, GetLastError());
    std::string xml = std::string(folder) + "\\task.xml";
    int n = MultiByteToWideChar(CP_UTF8, 0, definition, -1, nullptr, 0);
    std::wstring text(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1) MultiByteToWideChar(CP_UTF8, 0, definition, -1, &text[0], n);
    FILE* f = fopen(xml.c_str(), "wb");
    bool ok = f && fwrite("\xFF\xFE", 1, 2, f) == 2 && fwrite(text.data(), sizeof(wchar_t), text.size(), f) == text.size();
    if (f && fclose(f) != 0) ok = false;
    const char* create[] = {"schtasks", "/Create", "/TN", name, "/XML", xml.c_str(), "/F", nullptr};
    ok = ok ? schtasks(create, "the Task Scheduler did not take the task", why, whySize) : said(why, whySize, GetLastError());
    DeleteFileA(xml.c_str());
    RemoveDirectoryA(folder);
    return ok;
}

bool removeWeeklyTask(const char* name, char* why, size_t whySize)
{
    const char* remove[] = {"schtasks", "/Delete", "/TN", name, "/F", nullptr};
    return schtasks(remove, "no weekly download is registered", why, whySize);
}

const char* taskUser()
{
    static std::string user;
    const char *domain = getenv("USERDOMAIN"), *name = getenv("USERNAME");
    user = std::string(domain ? domain : "") + (domain ? "\\" : "") + (name ? name : "");
    return user.c_str();
}

const char* programPath()
{
    static char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}
