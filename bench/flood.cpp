// flood: floods mouse reports at a fixed rate into a listener (the tray program or
// the bare relay) and reads back from the recorder what arrived, in what order and
// how late; prints one row per target and rate, then the comparison.
//
//   flood.exe [SECONDS] [RATE ...]     defaults: 60 s; 125, 500, 1000 and 0 (as fast
//                                      as the machine delivers them: at most kWindow
//                                      reports on their way at any time)
//   flood.exe --sweep SECONDS          a steady-rate sweep for each shape of stream:
//                                      125, 250, 500, 750, 1000 and 1250 reports/s, then
//                                      as fast as they go (three runs each), for Pelorin
//                                      and the relay in turn; prints the highest rate at
//                                      which each keeps its p99 under 20 ms
//   flood.exe --idle SECONDS           Pelorin left alone for SECONDS after a stream and
//                                      after a click: its processor time and the wake-ups
//                                      of each of its threads, read from the host
//   flood.exe --requests SECONDS RATE  one short run per target between two named
//                                      events ("BenchRequestsFrom", "BenchRequestsTo")
//                                      that mark the window in a Wine server trace;
//                                      prints each target's listener thread
//
// CPU is counted for the target process and, when BENCH_HOST_PIDS names them
// ("wineserver:PID Xephyr:PID ..."), for the host processes that work on its behalf:
// the Wine server and the X servers, read from /proc on the host.
//
// Streams come in shapes: straight moves (a walk over a 100 x 100 grid), moves that
// step back and forth by a pixel, the pointer pushed against the right edge,
// button-only reports, and moves that press or release the left button in every
// report. Every report also carries 1 to 100 wheel notches, which the recorder logs
// with their delta (wheel events, unlike moves, are never merged on the way): the
// delta names the report modulo 100, whatever the pointer does. Latency is from the
// post to the event's message time (GetMessageTime: the moment the listener injected
// it), both on GetTickCount's clock.
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
const long kIds = 100; // wheel notches 1..kIds name a report modulo kIds

enum Shape { STRAIGHT, BACK_AND_FORTH, AGAINST_EDGE, BUTTONS_ONLY, MOVES_WITH_BUTTONS, SHAPES };
const char* const kShapeNames[SHAPES] = {"straight moves", "one pixel back and forth", "pushed against the edge",
                                         "buttons only", "moves with a button"};

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

// Where report k of the straight walk leaves the pointer.
POINT GridPoint(long k) { return {kLeft + (LONG)(k % kGrid), kTop + (LONG)((k / kGrid) % kGrid)}; }

// Where a stream of the shape starts: on the recorder, or against its right edge.
POINT ShapeStart(Shape shape)
{
    return shape == AGAINST_EDGE ? POINT{GetSystemMetrics(SM_CXSCREEN), kTop} : GridPoint(0);
}

// Report k of a shape (k >= 1), as the driver packs it.
struct ShapeReport {
    WPARAM report;
    LPARAM buttons;
};
ShapeReport ReportOf(Shape shape, long k)
{
    int wheel = (int)(k % kIds) + 1, dx = 0, dy = 0;
    LPARAM buttons = 0;
    switch (shape) {
    case STRAIGHT: {
        POINT from = GridPoint(k - 1), to = GridPoint(k);
        dx = to.x - from.x;
        dy = to.y - from.y;
        break;
    }
    case BACK_AND_FORTH: dx = k % 2 ? 1 : -1; break;
    case AGAINST_EDGE: dx = 5; break;
    case BUTTONS_ONLY: buttons = k % 2 ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP; break;
    case MOVES_WITH_BUTTONS:
        dx = k % 2 ? 1 : -1;
        buttons = k % 2 ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
        break;
    case SHAPES: break;
    }
    return {PackMouseReport(wheel, dx, dy), buttons};
}
// The report a wheel event names, modulo kIds; -1 for one of no report.
long WheelIndex(int delta)
{
    long notches = delta / WHEEL_DELTA;
    return delta % WHEEL_DELTA == 0 && notches >= 1 && notches <= kIds ? notches - 1 : -1;
}

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
    ULONGLONG time = 0;
    return ProcessorTime(GetProcessId(process), &time) ? time : 0;
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

// Brings the pointer from the corner where a new listener has it to `to`, a walking
// pace of reports that the recorder sees (the first event on a fresh device can go
// missing).
void WalkTo(DWORD listener, POINT to, const std::wstring& recorderFile)
{
    POINT at = {0, 0};
    int posted = 0;
    while (at.x != to.x || at.y != to.y) {
        int dx = std::max(-100, std::min(100, (int)(to.x - at.x))), dy = std::max(-100, std::min(100, (int)(to.y - at.y)));
        PostDriver(listener, TM_MOUSEREPORT, PackMouseReport(1, dx, dy), 0);
        at.x += dx;
        at.y += dy;
        ++posted;
        Sleep(10);
    }
    for (int i = 0; i < 20; ++i, ++posted) {
        PostDriver(listener, TM_MOUSEREPORT, PackMouseReport(1, 0, 0), 0);
        Sleep(10);
    }
    Settle(recorderFile, (size_t)posted - 2);
    Sleep(300);
}

// A target running on a fresh installation beside a fresh recorder in front.
struct Session {
    HANDLE recorder = nullptr, process = nullptr;
    HWND window = nullptr;
    DWORD listener = 0;
    std::wstring file; // the recorder's
};

bool Open(const Target& target, Session* session)
{
    InstallOptions options;
    options.enableDebug = target.enableDebug;
    std::wstring error;
    if (!InstallProduct(options, &error)) {
        fwprintf(stderr, L"flood: installation failed: %ls\n", error.c_str());
        return false;
    }
    ClearDeviceState();

    session->file = NewScratchFile(L"flood-recorder");
    session->recorder = StartProgram(DeviceProgramPath(L"recorder.exe"), L"\"" + session->file + L"\"");
    session->window = WaitForWindow(RECORDER_CLASS, nullptr, 15000);
    for (DWORD start = GetTickCount();
         session->window && GetForegroundWindow() != session->window && GetTickCount() - start < 5000;)
        Sleep(20);

    DeleteListenerThreadId();
    session->process = StartProgram(target.exe, target.arguments);
    session->listener = WaitForListener(15000);
    if (!session->recorder || !session->window || !session->process || !session->listener) {
        fwprintf(stderr, L"flood: %ls did not come up\n", target.name);
        EndProcess(session->process);
        EndProcess(session->recorder);
        return false;
    }
    if (target.needsAttach)
        PostDriver(session->listener, TM_MOUSESTATUS, 1, 0);
    return true;
}

void Close(Session& session)
{
    EndProcess(session.process);
    DeleteListenerThreadId();
    if (session.window)
        PostMessageW(session.window, WM_CLOSE, 0, 0);
    EndProcess(session.recorder);
    DeleteFileW(session.file.c_str());
}

bool Measure(const Target& target, Shape shape, double rate, double seconds, Figures* f, bool markRequests = false)
{
    Session session;
    if (!Open(target, &session))
        return false;
    HANDLE process = session.process;
    DWORD listener = session.listener;
    const std::wstring& file = session.file;
    WalkTo(listener, ShapeStart(shape), file);
    long k = 1;
    auto post = [&](long index) {
        ShapeReport next = ReportOf(shape, index);
        return PostDriver(listener, TM_MOUSEREPORT, next.report, next.buttons);
    };
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
        long index = WheelIndex(e.delta);
        long period = kIds;
        if (index < 0)
            continue;
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

    Close(session);
    return true;
}

std::wstring ThisFolder()
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L"\\/"));
}

// One shape of the steady-rate sweep: each rate for both targets, then the flood. The
// flood's throughput swings most with what else the machine does, so it is measured
// three times for each target, alternately, and each target's middle run is shown.
// The last line holds the shape's figures against the targets.
bool SweepShape(const Target (&targets)[3], Shape shape, double seconds)
{
    const double rates[] = {125, 250, 500, 750, 1000, 1250, 0};
    const double kSustainedP99 = 20;
    const int kFloods = 3;
    printf("%s\n", kShapeNames[shape]);
    printf("%-6s | %-36s | %-36s\n", "rate/s", "Pelorin: achieved p50 p99 lost reord", "relay: achieved p50 p99 lost reord");
    double sustained[2] = {0, 0}, throughput[2] = {0, 0};
    Figures at1000[2];
    bool ok = true, clean = true;
    for (double rate : rates) {
        std::vector<Figures> runs[2];
        for (int round = 0; round < (rate > 0 ? 1 : kFloods); ++round)
            for (int t = 0; t < 2; ++t) {
                Figures f;
                if (Measure(targets[t], shape, rate, seconds, &f))
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
            if (rate == 1000)
                at1000[t] = f;
            if (rate == 0)
                throughput[t] = achieved(f);
            if (t == 0)
                clean = clean && !f.lost && !f.reordered;
        }
        printf("\n");
        fflush(stdout);
    }
    double ratio = throughput[1] > 0 ? throughput[0] / throughput[1] : 0;
    printf("%s: sustained Pelorin %.0f/s, relay %.0f/s; flood throughput Pelorin/relay %.2f\n", kShapeNames[shape],
           sustained[0], sustained[1], ratio);
    auto met = [](bool yes) { return yes ? "met" : "NOT met"; };
    printf("  targets at 1000/s: p50 %.0f within the relay's %.0f + 1 ms %s; p99 %.0f within 1.5 x the relay's %.0f %s; "
           "sustained >= 0.9 x %s; flood >= 0.9 x %s; nothing lost or reordered %s\n",
           at1000[0].p50, at1000[1].p50, met(at1000[0].p50 <= at1000[1].p50 + 1), at1000[0].p99, at1000[1].p99,
           met(at1000[0].p99 <= 1.5 * at1000[1].p99), met(sustained[0] >= 0.9 * sustained[1]), met(ratio >= 0.9),
           met(clean));
    fflush(stdout);
    return ok;
}

int Sweep(const Target (&targets)[3], double seconds)
{
    printf("Steady-rate sweep, %.0f s per run, screen %dx%d; latency from post to injection\n", seconds,
           GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    bool ok = true;
    for (int shape = 0; shape < SHAPES; ++shape)
        ok = SweepShape(targets, (Shape)shape, seconds) && ok;
    return ok ? 0 : 1;
}

// A thread of the target as the host counts it.
struct HostThread {
    std::string name;        // its role, where known
    unsigned long long ticks; // user and system time, 1/100 s
    unsigned long long wakes; // voluntary and involuntary context switches
    unsigned long long start; // when it started, in ticks since boot
    int tid;
};

std::vector<std::string> Fields(const std::string& text, char separator)
{
    std::vector<std::string> fields;
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = text.find(separator, at);
        fields.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
        if (end == std::string::npos)
            break;
        at = end + 1;
    }
    return fields;
}

// The host's process id of a Wine program of this device: its command line names the
// file, its environment this device's Wine prefix. 0 when there is none.
int HostPid(const wchar_t* exeName)
{
    wchar_t prefix[MAX_PATH] = {};
    GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH);
    std::string wanted = "WINEPREFIX=" + ToUtf8(prefix), exe = ToUtf8(exeName);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
    int pid = 0;
    for (BOOL more = search != INVALID_HANDLE_VALUE; more && !pid; more = FindNextFileW(search, &found)) {
        int n = _wtoi(found.cFileName);
        if (n <= 0)
            continue;
        std::wstring dir = L"Z:\\proc\\" + std::to_wstring(n);
        std::string cmdline, environment;
        if (!ReadSharedFile(dir + L"\\cmdline", &cmdline) || cmdline.find(exe) == std::string::npos)
            continue;
        if (ReadSharedFile(dir + L"\\environ", &environment)) {
            for (const std::string& entry : Fields(environment, '\0'))
                if (entry == wanted)
                    pid = n;
        }
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return pid;
}

std::vector<HostThread> HostThreads(int pid)
{
    std::vector<HostThread> threads;
    std::wstring tasks = L"Z:\\proc\\" + std::to_wstring(pid) + L"\\task\\";
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((tasks + L"*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        int tid = _wtoi(found.cFileName);
        std::string stat, status;
        if (tid <= 0 || !ReadSharedFile(tasks + found.cFileName + L"\\stat", &stat) ||
            !ReadSharedFile(tasks + found.cFileName + L"\\status", &status))
            continue;
        HostThread thread = {};
        thread.tid = tid;
        size_t close = stat.rfind(')');
        std::vector<std::string> words = Fields(stat.substr(close + 2), ' '); // from the state on (field 3)
        if (words.size() > 19) {
            thread.ticks = std::stoull(words[11]) + std::stoull(words[12]); // fields 14, 15
            thread.start = std::stoull(words[19]);                          // field 22
        }
        for (const std::string& line : Fields(status, '\n'))
            if (line.find("ctxt_switches:") != std::string::npos)
                thread.wakes += std::stoull(line.substr(line.find(':') + 1));
        threads.push_back(thread);
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    std::sort(threads.begin(), threads.end(), [](const HostThread& a, const HostThread& b) {
        return a.start != b.start ? a.start < b.start : a.tid < b.tid;
    });
    return threads;
}

// The program's threads in the order it starts them: the main thread, the key click's
// player (when there is a sound to play), the power notification, power time-out and
// cursor threads, then the listener.
void NameThreads(std::vector<HostThread>& threads)
{
    const char* const roles[] = {"main", "key click", "power notification", "power time-out", "cursor", "listener"};
    const size_t known = ARRAYSIZE(roles);
    for (size_t i = 0; i < threads.size(); ++i) {
        if (threads.size() == known)
            threads[i].name = roles[i];
        else if (threads.size() == known - 1) // no key click
            threads[i].name = roles[i == 0 ? 0 : i + 1];
        else
            threads[i].name = "thread " + std::to_string(i + 1);
    }
}

// The program left alone for `seconds`: what each thread woke for and spent.
void PrintIdle(const char* after, int pid, double seconds)
{
    std::vector<HostThread> before = HostThreads(pid);
    Sleep((DWORD)(seconds * 1000));
    std::vector<HostThread> now = HostThreads(pid);
    NameThreads(now);
    unsigned long long ticks = 0;
    printf("%-14s", after);
    for (const HostThread& thread : now) {
        for (const HostThread& then : before)
            if (then.tid == thread.tid) {
                printf(" | %s %llu", thread.name.c_str(), thread.wakes - then.wakes);
                ticks += thread.ticks - then.ticks;
            }
    }
    printf(" | processor %llu ms\n", ticks * 10);
    fflush(stdout);
}

int Idle(const Target& target, double seconds)
{
    Session session;
    if (!Open(target, &session))
        return 1;
    int pid = HostPid(kProgramFile);
    if (!pid) {
        fprintf(stderr, "flood: the host does not show Pelorin's process\n");
        Close(session);
        return 1;
    }
    printf("Idle: Pelorin left alone for %.0f s; wake-ups of each thread (context switches) and processor time\n",
           seconds);
    WalkTo(session.listener, ShapeStart(STRAIGHT), session.file);
    for (long k = 1; k <= 2000; ++k) { // 2 s of straight moves at about 1000/s
        ShapeReport next = ReportOf(STRAIGHT, k);
        PostDriver(session.listener, TM_MOUSEREPORT, next.report, next.buttons);
        if (k % 10 == 0)
            Sleep(10);
    }
    Settle(session.file, ReadRecorderFile(session.file).size() + 2000);
    Sleep(200);
    PrintIdle("after a stream", pid, seconds);
    PostDriver(session.listener, TM_MOUSEREPORT, PackMouseReport(0, 3, 0), 0);
    PostDriver(session.listener, TM_MOUSEREPORT, PackMouseReport(0, 0, 0), MOUSEEVENTF_LEFTDOWN);
    PostDriver(session.listener, TM_MOUSEREPORT, PackMouseReport(0, 0, 0), MOUSEEVENTF_LEFTUP);
    Sleep(200);
    PrintIdle("after a click", pid, seconds);
    Close(session);
    return 0;
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
    if (argc == 3 && wcscmp(argv[1], L"--idle") == 0)
        return Idle(targets[0], _wtof(argv[2]));
    if (argc == 4 && wcscmp(argv[1], L"--requests") == 0) {
        for (int t = 0; t < 2; ++t) {
            Figures f;
            if (!Measure(targets[t], STRAIGHT, _wtof(argv[3]), _wtof(argv[2]), &f, true))
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
            if (!Measure(targets[t], STRAIGHT, rate, seconds, &f)) {
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
