#include "Driver.h"

static std::wstring TempFile(const wchar_t* prefix)
{
    static LONG counter;
    CreateDirectoryW(L"C:\\emulated", nullptr);
    return std::wstring(L"C:\\emulated\\") + prefix + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(InterlockedIncrement(&counter)) + L".txt";
}

static bool WriteWholeFile(const std::wstring& path, const std::string& text)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, text.data(), (DWORD)text.size(), &written, nullptr) && written == text.size();
    CloseHandle(file);
    return ok;
}

static std::string ReadWholeFile(const std::wstring& path)
{
    std::string text;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);
    return text;
}

int RunUsbsim(const std::string& script, std::string* output, DWORD timeoutMs)
{
    std::wstring scriptFile = TempFile(L"usbsim-script-"), outputFile = TempFile(L"usbsim-output-");
    if (!WriteWholeFile(scriptFile, script))
        return -1;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileW(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::wstring exe = DeviceProgramPath(L"usbsim.exe");
    std::wstring commandLine = L"\"" + exe + L"\" \"" + scriptFile + L"\"";
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = out;
    PROCESS_INFORMATION info = {};
    int result = -1;
    if (CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
        if (WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(info.hProcess, &code);
            result = (int)code;
        } else
            TerminateProcess(info.hProcess, 255);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    if (out != INVALID_HANDLE_VALUE)
        CloseHandle(out);
    if (output)
        *output = ReadWholeFile(outputFile);
    DeleteFileW(scriptFile.c_str());
    DeleteFileW(outputFile.c_str());
    return result;
}

UsbResult PostUsbScript(const std::string& script, std::string* message)
{
    UsbSession session;
    return RunUsbScript(session, script, message);
}

bool PostToListener(UINT message, WPARAM wParam, LPARAM lParam)
{
    return PostDriver(ReadListenerThreadId(), message, wParam, lParam);
}

FakeListener::FakeListener()
{
    InitializeCriticalSection(&lock_);
    ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, Run, this, 0, &threadId_);
    // Published only once the queue exists, as the program does.
    WaitForSingleObject(ready_, 10000);
    WriteListenerThreadId(threadId_);
}

FakeListener::~FakeListener()
{
    if (thread_) {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_, 5000);
        CloseHandle(thread_);
    }
    CloseHandle(ready_);
    DeleteCriticalSection(&lock_);
}

DWORD WINAPI FakeListener::Run(void* self)
{
    FakeListener* me = (FakeListener*)self;
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // creates the queue
    SetEvent(me->ready_);
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        EnterCriticalSection(&me->lock_);
        me->messages_.push_back({msg.message, msg.wParam, msg.lParam});
        LeaveCriticalSection(&me->lock_);
    }
    return 0;
}

std::vector<ThreadMessage> FakeListener::Messages() const
{
    EnterCriticalSection(&lock_);
    std::vector<ThreadMessage> copy = messages_;
    LeaveCriticalSection(&lock_);
    return copy;
}

std::vector<ThreadMessage> FakeListener::WaitForMessages(size_t count, DWORD timeoutMs) const
{
    DWORD start = GetTickCount();
    for (;;) {
        std::vector<ThreadMessage> copy = Messages();
        if (copy.size() >= count || GetTickCount() - start >= timeoutMs)
            return copy;
        Sleep(10);
    }
}
