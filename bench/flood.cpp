// flood: floods mouse reports at a fixed rate into a listener (the tray program or
// the bare relay) and reads back from the recorder what arrived, in what order and
// how late; prints one row per target and rate, then the comparison.
//
//   flood.exe [SECONDS] [RATE ...]     defaults: 60 s; 125, 500, 1000 and 0 (as fast
//                                      as the machine delivers them: at most kWindow
//                                      reports on their way at any time)
//   flood.exe --sweep SECONDS          a steady-rate sweep: 125, 250, 500, 750, 1000
//                                      and 1250 reports/s, then as fast as they go
//                                      (three runs each), for Pelorin and the relay in
//                                      turn; prints the highest rate at which each keeps
//                                      its p99 under 20 ms
//   flood.exe --requests SECONDS RATE  one short run per target between two named
//                                      events ("BenchRequestsFrom", "BenchRequestsTo")
//                                      that mark the window in a Wine server trace;
//                                      prints each target's listener thread
//
// CPU is counted for the target process and, when BENCH_HOST_PIDS names them
// ("wineserver:PID Xephyr:PID ..."), for the host processes that work on its behalf:
// the Wine server and the X servers, read from /proc on the host.
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
    DWORD enableDebug;
};

// Host processes (Linux) whose CPU time counts as the target's cost.
struct HostProcess {
    std::string name;
    std::wstring stat; // Z:\proc\PID\stat
};
std::vector<HostProcess> HostProcesses()
{
    std::vector<HostProcess> hosts;
    const char* list = getenv("BENCH_HOST_PIDS");
    std::string words = list ? list : "";
    size_t at = 0;
    while (at < words.size()) {
        size_t end = words.find(' ', at);
        std::string word = words.substr(at, end == std::string::npos ? std::string::npos : end - at);
        size_t colon = word.find(':');
        if (colon != std::string::npos)
            hosts.push_back({word.substr(0, colon), L"Z:\\proc\\" + FromUtf8(word.substr(colon + 1)) + L"\\stat"});
        at = end == std::string::npos ? words.size() : end + 1;
    }
    return hosts;
}

// User and system time of a host process in clock ticks (1/100 s); 0 when unreadable.
unsigned long long HostTicks(const HostProcess& host)
{
    std::string text;
    if (!ReadSharedFile(host.stat, &text))
        return 0;
    size_t close = text.rfind(')'); // the command name may hold blanks
    if (close == std::string::npos)
        return 0;
    unsigned long long utime = 0, stime = 0;
    // After the name: state, then fields 4..13, then utime and stime (fields 14, 15).
    if (sscanf(text.c_str() + close + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &utime, &stime) != 2)
        return 0;
    return utime + stime;
}

struct Figures {
    double seconds = 0;
    long posted = 0, delivered = 0, lost = 0, reordered = 0, retries = 0;
    double p50 = 0, p99 = 0, worst = 0, cpuMicros = 0, hostMicros[4] = {};
    DWORD gdi[2] = {}, user[2] = {};
    SIZE_T workingSet[2] = {};
    DWORD listener = 0;
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

bool Measure(const Target& target, double rate, double seconds, Figures* f, bool markRequests = false)
{
    InstallOptions options;
    options.enableDebug = target.enableDebug;
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
    f->listener = listener;
    std::vector<HostProcess> hosts = HostProcesses();
    std::vector<unsigned long long> hostTicks0;
    for (const HostProcess& host : hosts)
        hostTicks0.push_back(HostTicks(host));
    HANDLE from = markRequests ? CreateEventW(nullptr, TRUE, FALSE, L"BenchRequestsFrom") : nullptr;
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
    HANDLE to = markRequests ? CreateEventW(nullptr, TRUE, FALSE, L"BenchRequestsTo") : nullptr;
    for (HANDLE mark : {from, to})
        if (mark)
            CloseHandle(mark);
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
    if (f->delivered) {
        f->cpuMicros = (double)(cpu1 - cpu0) / 10.0 / (double)f->delivered;
        for (size_t h = 0; h < hosts.size() && h < 4; ++h)
            f->hostMicros[h] = (double)(HostTicks(hosts[h]) - hostTicks0[h]) * 10000.0 / (double)f->delivered;
    }
    std::sort(latencies.begin(), latencies.end());
    if (!latencies.empty()) {
        f->p50 = latencies[latencies.size() / 2];
        f->p99 = latencies[std::min(latencies.size() - 1, latencies.size() * 99 / 100)];
        f->worst = latencies.back();
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

// The steady-rate sweep: each rate for both targets, then the flood. The flood's
// throughput swings most with what else the machine does, so it is measured three
// times for each target, alternately, and each target's middle run is shown.
int Sweep(const Target (&targets)[3], double seconds)
{
    const double rates[] = {125, 250, 500, 750, 1000, 1250, 0};
    const double kSustainedP99 = 20;
    const int kFloods = 3;
    printf("Steady-rate sweep, %.0f s per run, screen %dx%d; latency from post to injection\n", seconds,
           GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    printf("%-6s | %-36s | %-36s\n", "rate/s", "Pelorin: achieved p50 p99 lost reord", "relay: achieved p50 p99 lost reord");
    double sustained[2] = {0, 0}, throughput[2] = {0, 0};
    bool ok = true;
    for (double rate : rates) {
        std::vector<Figures> runs[2];
        for (int round = 0; round < (rate > 0 ? 1 : kFloods); ++round)
            for (int t = 0; t < 2; ++t) {
                Figures f;
                if (Measure(targets[t], rate, seconds, &f))
                    runs[t].push_back(f);
                else
                    ok = false;
            }
        char rateText[16];
        snprintf(rateText, sizeof rateText, rate > 0 ? "%.0f" : "max", rate);
        printf("%-6s", rateText);
        for (int t = 0; t < 2; ++t) {
            if (runs[t].empty()) {
                printf(" | %-36s", "did not run");
                continue;
            }
            auto achieved = [](const Figures& f) { return f.delivered / f.seconds; };
            std::sort(runs[t].begin(), runs[t].end(),
                      [&](const Figures& a, const Figures& b) { return achieved(a) < achieved(b); });
            const Figures& f = runs[t][runs[t].size() / 2];
            printf(" | %8.0f %6.0f %6.0f %6ld %6ld", achieved(f), f.p50, f.p99, f.lost, f.reordered);
            if (rate > 0 && f.p99 < kSustainedP99 && !f.lost && !f.reordered)
                sustained[t] = std::max(sustained[t], rate);
            if (rate == 0)
                throughput[t] = achieved(f);
        }
        printf("\n");
        fflush(stdout);
    }
    printf("highest rate with p99 under %.0f ms, nothing lost or reordered: Pelorin %.0f/s, relay %.0f/s\n",
           kSustainedP99, sustained[0], sustained[1]);
    if (throughput[1] > 0)
        printf("flood throughput Pelorin/relay (middle of %d runs each): %.2f\n", kFloods, throughput[0] / throughput[1]);
    return ok ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const Target targets[] = {
        {L"Pelorin", std::wstring(kInstallFolder) + L"\\" + kProgramFile, kProgramArgument, true, 0},
        {L"relay", ThisFolder() + L"\\relay.exe", L"", false, 0},
        {L"Pel+log", std::wstring(kInstallFolder) + L"\\" + kProgramFile, kProgramArgument, true, 1},
    };
    if (argc == 3 && wcscmp(argv[1], L"--sweep") == 0)
        return Sweep(targets, _wtof(argv[2]));
    if (argc == 4 && wcscmp(argv[1], L"--requests") == 0) {
        for (int t = 0; t < 2; ++t) {
            Figures f;
            if (!Measure(targets[t], _wtof(argv[3]), _wtof(argv[2]), &f, true))
                return 1;
            printf("%ls listener %04lx delivered %ld\n", targets[t].name, f.listener, f.delivered);
            fflush(stdout);
        }
        return 0;
    }

    double seconds = argc > 1 ? _wtof(argv[1]) : 60.0;
    std::vector<double> rates;
    for (int i = 2; i < argc; ++i)
        rates.push_back(_wtof(argv[i]));
    if (rates.empty())
        rates = {125, 500, 1000, 0};
    if (seconds <= 0) {
        fprintf(stderr, "usage: flood [SECONDS] [RATE ...] | flood --requests SECONDS RATE\n");
        return 2;
    }

    std::vector<HostProcess> hosts = HostProcesses();
    printf("Mouse report flood, %.0f s per run, screen %dx%d; CPU in us per delivered report\n", seconds,
           GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    printf("%-8s %6s %8s %7s %9s %5s %6s %6s %6s %6s %8s", "target", "rate/s", "achieved", "posted", "delivered",
           "lost", "reord", "p50ms", "p99ms", "worst", "cpu tgt");
    for (size_t h = 0; h < hosts.size() && h < 4; ++h)
        printf(" %10s", hosts[h].name.c_str());
    printf(" %8s\n", "cpu all");
    bool ok = true;
    for (double rate : rates) {
        Figures figures[3];
        int runs = rate == 1000 ? 3 : 2; // the debug log's cost at one rate
        for (int t = 0; t < runs; ++t) {
            Figures& f = figures[t];
            if (!Measure(targets[t], rate, seconds, &f)) {
                ok = false;
                continue;
            }
            char rateText[16];
            snprintf(rateText, sizeof rateText, rate > 0 ? "%.0f" : "max", rate);
            double all = f.cpuMicros;
            printf("%-8ls %6s %8.0f %7ld %9ld %5ld %6ld %6.0f %6.0f %6.0f %8.1f", targets[t].name, rateText,
                   f.posted / f.seconds, f.posted, f.delivered, f.lost, f.reordered, f.p50, f.p99, f.worst,
                   f.cpuMicros);
            for (size_t h = 0; h < hosts.size() && h < 4; ++h) {
                printf(" %10.1f", f.hostMicros[h]);
                all += f.hostMicros[h];
            }
            printf(" %8.1f\n", all);
            if (t == 0)
                printf("         Pelorin: working set %zu -> %zu KB\n", (size_t)(f.workingSet[0] / 1024),
                       (size_t)(f.workingSet[1] / 1024));
            fflush(stdout);
        }
        auto total = [&](const Figures& f) {
            double all = f.cpuMicros;
            for (double h : f.hostMicros)
                all += h;
            return all;
        };
        if (figures[1].delivered && figures[0].delivered)
            printf("         Pelorin/relay: throughput %.2f, p99 %.2f, total CPU per report %.2f\n",
                   (figures[0].delivered / figures[0].seconds) / (figures[1].delivered / figures[1].seconds),
                   figures[1].p99 > 0 ? figures[0].p99 / figures[1].p99 : 0.0,
                   total(figures[1]) > 0 ? total(figures[0]) / total(figures[1]) : 0.0);
    }
    printf("Targets: flood throughput >= 0.9x the relay's; at 1000/s none lost or reordered and p99 <= 1.5x the "
           "relay's; total CPU per report <= 1.2x the relay's\n");
    return ok ? 0 : 1;
}
