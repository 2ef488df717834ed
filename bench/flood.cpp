// flood: floods mouse reports at a fixed rate into a listener (the tray program or
// the bare relay) and reads back from the recorder what arrived, in what order and
// how late; prints one row per target and rate, then the comparison.
//
//   flood.exe [SECONDS] [RATE ...]     defaults: 60 s; 125, 1000 and 0 (as fast as
//                                      the machine delivers them: at most kWindow
//                                      reports on their way at any time)
//
// Every report carries one wheel step, which the recorder logs with the pointer's
// position (wheel events, unlike moves, are never merged on the way). The reports
// walk the pointer over a 100 x 100 grid, so a position names its report modulo
// 10000. Latency is from the post to the event's message time (GetMessageTime: the
// moment the listener injected it), both on GetTickCount's clock.
#include <windows.h>
#include <psapi.h>
#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>
#include "DeviceKit.h"
#include "DriverProtocol.h"

namespace {

const int kGrid = 100, kLeft = 20, kTop = 40;
const long kWindow = 200;

// Counts the recorder's wheel lines as the file grows, reading only what is new.
class WheelCounter {
public:
    explicit WheelCounter(const std::wstring& file) : file_(file) {}
    long Count()
    {
        HANDLE h = CreateFileW(file_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return count_;
        LARGE_INTEGER at;
        at.QuadPart = offset_;
        SetFilePointerEx(h, at, nullptr, FILE_BEGIN);
        char buffer[65536];
        DWORD got = 0;
        while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) {
            offset_ += got;
            pending_.append(buffer, got);
        }
        CloseHandle(h);
        size_t start = 0, end;
        while ((end = pending_.find('\n', start)) != std::string::npos) {
            count_ += pending_.compare(start, end - start, "") != 0 &&
                      pending_.find(" wheel ", start) < end;
            start = end + 1;
        }
        pending_.erase(0, start);
        return count_;
    }

private:
    std::wstring file_;
    LONGLONG offset_ = 0;
    std::string pending_;
    long count_ = 0;
};

// Where report k leaves the pointer.
POINT GridPoint(long k) { return {kLeft + (LONG)(k % kGrid), kTop + (LONG)((k / kGrid) % kGrid)}; }
long GridIndex(int x, int y) { return (long)(y - kTop) * kGrid + (x - kLeft); }

struct Target {
    const wchar_t* name;
    std::wstring exe, arguments;
    bool needsAttach;
};

struct Figures {
    double seconds = 0;
    long posted = 0, delivered = 0, lost = 0, reordered = 0, retries = 0;
    double p50 = 0, p99 = 0, cpuMicros = 0;
    DWORD gdi[2] = {}, user[2] = {};
    SIZE_T workingSet[2] = {};
};

ULONGLONG CpuTime100ns(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    auto value = [](FILETIME t) { return ((ULONGLONG)t.dwHighDateTime << 32) | t.dwLowDateTime; };
    return value(kernel) + value(user);
}

SIZE_T WorkingSet(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(process, &counters, sizeof counters) ? counters.WorkingSetSize : 0;
}

void EndProcess(HANDLE process)
{
    if (!process)
        return;
    TerminateProcess(process, 0);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
}

size_t CountWheels(const std::wstring& file)
{
    size_t n = 0;
    for (const RecorderEvent& e : ReadRecorderFile(file))
        n += e.kind == "wheel";
    return n;
}

// Waits until the recorder holds `count` wheel events or has stopped growing.
void Settle(const std::wstring& file, size_t count)
{
    size_t last = 0;
    DWORD quietSince = GetTickCount();
    for (;;) {
        Sleep(250);
        size_t now = CountWheels(file);
        if (now >= count)
            return;
        if (now != last) {
            last = now;
            quietSince = GetTickCount();
        } else if (GetTickCount() - quietSince > 2000) {
            return;
        }
    }
}

bool Measure(const Target& target, double rate, double seconds, Figures* f)
{
    InstallOptions options;
    options.enableDebug = 0; // a log line per report would measure the file system
    std::wstring error;
    if (!InstallProduct(options, &error)) {
        fwprintf(stderr, L"flood: installation failed: %ls\n", error.c_str());
        return false;
    }
    ClearDeviceState();

    std::wstring file = NewScratchFile(L"flood-recorder");
    HANDLE recorder = StartProgram(DeviceProgramPath(L"recorder.exe"), L"\"" + file + L"\"");
    HWND window = WaitForWindow(RECORDER_CLASS, nullptr, 15000);
    for (DWORD start = GetTickCount(); window && GetForegroundWindow() != window && GetTickCount() - start < 5000;)
        Sleep(20);

    DeleteListenerThreadId();
    HANDLE process = StartProgram(target.exe, target.arguments);
    DWORD listener = WaitForListener(15000);
    if (!recorder || !window || !process || !listener) {
        fwprintf(stderr, L"flood: %ls did not come up\n", target.name);
        EndProcess(process);
        EndProcess(recorder);
        return false;
    }
    if (target.needsAttach)
        PostDriver(listener, TM_MOUSESTATUS, 1, 0);

    // Warm-up at a walking pace, until the recorder has seen the walk (the first
    // event on a fresh device can go missing).
    long k = 0;
    POINT at = {0, 0};
    auto post = [&](long index) {
        POINT next = GridPoint(index);
        WPARAM report = PackMouseReport(1, next.x - at.x, next.y - at.y);
        if (!PostDriver(listener, TM_MOUSEREPORT, report, 0))
            return false;
        at = next;
        return true;
    };
    for (; k < 20; ++k) {
        post(k);
        Sleep(10);
    }
    Settle(file, 18);
    Sleep(300);
    size_t before = ReadRecorderFile(file).size();
    WheelCounter arrived(file);
    long arrivedBefore = arrived.Count();

    f->gdi[0] = GetGuiResources(process, GR_GDIOBJECTS);
    f->user[0] = GetGuiResources(process, GR_USEROBJECTS);
    f->workingSet[0] = WorkingSet(process);
    ULONGLONG cpu0 = CpuTime100ns(process);

    LARGE_INTEGER frequency, t0, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&t0);
    const long first = k;
    std::vector<DWORD> postedAt;
    for (;;) {
        QueryPerformanceCounter(&now);
        double elapsed = (double)(now.QuadPart - t0.QuadPart) / (double)frequency.QuadPart;
        if (elapsed >= seconds)
            break;
        if (rate > 0) {
            double due = (double)(k - first) / rate;
            if (due > elapsed) {
                if (due - elapsed > 0.002)
                    Sleep(1);
                continue;
            }
        } else if (k - first - (arrived.Count() - arrivedBefore) >= kWindow) {
            Sleep(0);
            continue;
        }
        DWORD tick = GetTickCount();
        while (!post(k)) {
            ++f->retries; // the listener's queue is full
            Sleep(0);
            tick = GetTickCount();
        }
        postedAt.push_back(tick);
        ++k;
    }
    QueryPerformanceCounter(&now);
    f->seconds = (double)(now.QuadPart - t0.QuadPart) / (double)frequency.QuadPart;
    f->posted = k - first;
    Settle(file, before + (size_t)f->posted);

    ULONGLONG cpu1 = CpuTime100ns(process);
    f->gdi[1] = GetGuiResources(process, GR_GDIOBJECTS);
    f->user[1] = GetGuiResources(process, GR_USEROBJECTS);
    f->workingSet[1] = WorkingSet(process);

    // Match each wheel event to its report: the next report with that grid index.
    std::vector<RecorderEvent> events = ReadRecorderFile(file);
    std::vector<char> seen(f->posted, 0);
    std::vector<long> latencies;
    long last = first - 1;
    for (size_t i = before; i < events.size(); ++i) {
        const RecorderEvent& e = events[i];
        if (e.kind != "wheel")
            continue;
        long index = GridIndex(e.x, e.y);
        long period = (long)kGrid * kGrid;
        long candidate = last + 1 + ((index - (last + 1)) % period + period) % period;
        if (candidate - last > period / 2) { // far ahead: rather an earlier report come late
            candidate -= period;
            ++f->reordered;
        }
        if (candidate < first || candidate >= k || seen[candidate - first])
            continue;
        seen[candidate - first] = 1;
        ++f->delivered;
        latencies.push_back((long)(e.time - postedAt[candidate - first]));
        last = std::max(last, candidate);
    }
    f->lost = f->posted - f->delivered;
    if (f->delivered)
        f->cpuMicros = (double)(cpu1 - cpu0) / 10.0 / (double)f->delivered;
    std::sort(latencies.begin(), latencies.end());
    if (!latencies.empty()) {
        f->p50 = latencies[latencies.size() / 2];
        f->p99 = latencies[std::min(latencies.size() - 1, latencies.size() * 99 / 100)];
    }

    EndProcess(process);
    DeleteListenerThreadId();
    if (window)
        PostMessageW(window, WM_CLOSE, 0, 0);
    EndProcess(recorder);
    DeleteFileW(file.c_str());
    return true;
}

std::wstring ThisFolder()
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L"\\/"));
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    double seconds = argc > 1 ? _wtof(argv[1]) : 60.0;
    std::vector<double> rates;
    for (int i = 2; i < argc; ++i)
        rates.push_back(_wtof(argv[i]));
    if (rates.empty())
        rates = {125, 1000, 0};
    if (seconds <= 0) {
        fprintf(stderr, "usage: flood [SECONDS] [RATE ...]   (RATE 0: as fast as the listener takes them)\n");
        return 2;
    }

    const Target targets[] = {
        {L"Pelorin", std::wstring(kInstallFolder) + L"\\Pelorin.exe", L"-tray", true},
        {L"relay", ThisFolder() + L"\\relay.exe", L"", false},
    };
    printf("Mouse report flood, %.0f s per run, screen %dx%d\n", seconds, GetSystemMetrics(SM_CXSCREEN),
           GetSystemMetrics(SM_CYSCREEN));
    printf("%-8s %7s %8s %9s %9s %6s %9s %8s %7s %7s %10s\n", "target", "rate/s", "achieved", "posted", "delivered",
           "lost", "reordered", "retries", "p50 ms", "p99 ms", "cpu us/rep");
    bool ok = true;
    for (double rate : rates) {
        Figures figures[2];
        for (int t = 0; t < 2; ++t) {
            Figures& f = figures[t];
            if (!Measure(targets[t], rate, seconds, &f)) {
                ok = false;
                continue;
            }
            char rateText[16];
            snprintf(rateText, sizeof rateText, rate > 0 ? "%.0f" : "max", rate);
            printf("%-8ls %7s %8.0f %9ld %9ld %6ld %9ld %8ld %7.0f %7.0f %10.1f\n", targets[t].name, rateText,
                   f.posted / f.seconds, f.posted, f.delivered, f.lost, f.reordered, f.retries, f.p50, f.p99,
                   f.cpuMicros);
            if (t == 0)
                printf("         Pelorin: GDI objects %lu -> %lu, USER objects %lu -> %lu%s, working set %zu -> %zu KB\n",
                       f.gdi[0], f.gdi[1], f.user[0], f.user[1],
                       f.gdi[0] + f.gdi[1] + f.user[0] + f.user[1] == 0 ? " (GetGuiResources gives 0 under Wine)" : "",
                       f.workingSet[0] / 1024, f.workingSet[1] / 1024);
            fflush(stdout);
        }
        if (figures[1].cpuMicros > 0)
            printf("         cost per report Pelorin/relay: %.2f\n", figures[0].cpuMicros / figures[1].cpuMicros);
    }
    printf("Targets: none lost or reordered at 1000/s for 60 s; p99 < 8 ms at 1000/s; Pelorin/relay cost <= 1.5\n");
    return ok ? 0 : 1;
}
