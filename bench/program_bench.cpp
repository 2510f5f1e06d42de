// The program as a user starts it: a process of its own in its program folder, on the X display of the
// run (Xvfb), with no network. Per start: the time until the main window is mapped; once one game is
// open (through the menus, as a user does) and the program has settled, the resident memory and the
// threads of all its processes together (the program, its engine hosts, any web engine processes, any
// helper still running), as the sum of VmRSS and as the sum of PSS; then what each further game adds.
//
// Every figure is the median of 10 starts (TORVANE_STARTS sets another count).
// Run (one line): xvfb-run -a -s "-screen 0 1280x1024x24" env LIBGL_ALWAYS_SOFTWARE=1
//   ALSOFT_DRIVERS=null build/bench/program_bench
// TORVANE_PROGRAMS="before=/path/to/torvane;after=/path/to/torvane" compares several programs in one
// run; by default it starts this build's. Needs xdotool for the clicks and keys.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <optional>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct TProcess {
    int Parent = 0;
    long RssKiB = 0;
    int Threads = 0;
};

std::map<int, TProcess> AllProcesses() {
    std::map<int, TProcess> all;
    DIR* proc = opendir("/proc");
    while (dirent* entry = proc != nullptr ? readdir(proc) : nullptr) {
        const int pid = std::atoi(entry->d_name);
        if (pid <= 0) {
            continue;
        }
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        TProcess process;
        for (std::string line; std::getline(status, line);) {
            std::istringstream fields(line);
            std::string key;
            fields >> key;
            if (key == "PPid:") {
                fields >> process.Parent;
            } else if (key == "VmRSS:") {
                fields >> process.RssKiB;
            } else if (key == "Threads:") {
                fields >> process.Threads;
            }
        }
        all[pid] = process;
    }
    if (proc != nullptr) {
        closedir(proc);
    }
    return all;
}

long PssKiB(int Pid) {
    std::ifstream rollup("/proc/" + std::to_string(Pid) + "/smaps_rollup");
    for (std::string line; std::getline(rollup, line);) {
        if (line.rfind("Pss:", 0) == 0) {
            return std::atol(line.c_str() + 4);
        }
    }
    return 0;
}

// Root and all its descendants.
struct TTree {
    int Processes = 0;
    int Threads = 0;
    double RssMiB = 0, PssMiB = 0, RootRssMiB = 0;
    int RootThreads = 0;
};

TTree Measure(int Root) {
    const std::map<int, TProcess> all = AllProcesses();
    TTree tree;
    for (const auto& [pid, process] : all) {
        bool inside = pid == Root;
        for (int up = process.Parent; !inside && up > 1;) {
            inside = up == Root;
            const auto parent = all.find(up);
            up = parent == all.end() ? 0 : parent->second.Parent;
        }
        if (inside) {
            ++tree.Processes;
            tree.Threads += process.Threads;
            tree.RssMiB += static_cast<double>(process.RssKiB) / 1024.0;
            tree.PssMiB += static_cast<double>(PssKiB(pid)) / 1024.0;
        }
    }
    if (const auto root = all.find(Root); root != all.end()) {
        tree.RootRssMiB = static_cast<double>(root->second.RssKiB) / 1024.0;
        tree.RootThreads = root->second.Threads;
    }
    return tree;
}

// Waits, up to Limit, until the whole tree's resident size has moved less than 0.25 MiB for 600 ms.
TTree Settled(int Root, std::chrono::milliseconds Limit = std::chrono::milliseconds(15000)) {
    const auto end = Clock::now() + Limit;
    TTree last = Measure(Root);
    auto since = Clock::now();
    while (Clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const TTree now = Measure(Root);
        if (std::abs(now.RssMiB - last.RssMiB) > 0.25 || now.Processes != last.Processes) {
            last = now;
            since = Clock::now();
        } else if (Clock::now() - since > std::chrono::milliseconds(600)) {
            return now;
        }
    }
    return last;
}

int Run(const std::vector<std::string>& Args) {
    std::string command;
    for (const std::string& arg : Args) {
        command += "'" + arg + "' ";
    }
    return std::system(command.c_str());
}

class TDisplay {
public:
    TDisplay() : Display(XOpenDisplay(nullptr)) {
        if (Display != nullptr) {
            XSelectInput(Display, DefaultRootWindow(Display), SubstructureNotifyMask);
            PidAtom = XInternAtom(Display, "_NET_WM_PID", False);
        }
    }
    ~TDisplay() {
        if (Display != nullptr) {
            XCloseDisplay(Display);
        }
    }
    bool Ok() const { return Display != nullptr; }
    void Drop() {
        while (XPending(Display) > 0) {
            XEvent event;
            XNextEvent(Display, &event);
        }
    }
    // The next top-level window of Pid mapped within Limit.
    std::optional<Window> NextMapped(int Pid, std::chrono::milliseconds Limit) {
        const auto end = Clock::now() + Limit;
        while (Clock::now() < end) {
            while (XPending(Display) > 0) {
                XEvent event;
                XNextEvent(Display, &event);
                if (event.type == MapNotify && OwnerOf(event.xmap.window) == Pid) {
                    return event.xmap.window;
                }
            }
            pollfd wait{ConnectionNumber(Display), POLLIN, 0};
            poll(&wait, 1, 20);
        }
        return std::nullopt;
    }

private:
    long OwnerOf(Window Of) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        long pid = 0;
        if (XGetWindowProperty(Display, Of, PidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                               &data) == Success &&
            data != nullptr) {
            if (count == 1 && format == 32) {
                pid = *reinterpret_cast<long*>(data);
            }
            XFree(data);
        }
        return pid;
    }

    ::Display* Display;
    Atom PidAtom = 0;
};

// "Game > New Game > Rubik's Cube" with the mouse and the keys; true once the game's thread runs.
bool OpenGame(TDisplay& X, int Pid, Window Main) {
    const int threadsBefore = Measure(Pid).RootThreads;
    X.Drop();
    Run({"xdotool", "mousemove", "--window", std::to_string(Main), "15", "10", "click", "1"});
    if (!X.NextMapped(Pid, std::chrono::milliseconds(5000))) {
        std::fprintf(stderr, "the menu did not open\n");
        return false;
    }
    Run({"xdotool", "key", "Down", "Right", "Return"});
    const auto end = Clock::now() + std::chrono::seconds(15);
    while (Clock::now() < end) {
        if (Measure(Pid).RootThreads > threadsBefore) { // the game's move thread
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

struct TStart {
    double MappedMs = 0;
    TTree One, More;
};

// One start: the window, one game, the settled figures, further games, the settled figures again;
// then every process of the run is ended. Nothing when the window or a game did not come.
std::optional<TStart> StartOnce(TDisplay& X, const std::string& Program, int FurtherGames) {
    const std::string folder = Program.substr(0, Program.rfind('/'));
    char config[] = "/tmp/torvane-bench-XXXXXX";
    if (mkdtemp(config) == nullptr) {
        return std::nullopt;
    }
    X.Drop();
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0); // one group, so that the run ends every process it started
        setenv("XDG_CONFIG_HOME", config, 1);
        if (chdir(folder.c_str()) != 0) {
            _exit(127);
        }
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDERR_FILENO);
        execl(Program.c_str(), Program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    TStart figures;
    const std::optional<Window> main = X.NextMapped(pid, std::chrono::milliseconds(20000));
    figures.MappedMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    Settled(pid); // the start-up's own threads have come
    bool ok = main.has_value() && OpenGame(X, pid, *main);
    figures.One = Settled(pid);
    for (int game = 0; ok && game < FurtherGames; ++game) {
        ok = OpenGame(X, pid, *main);
    }
    figures.More = Settled(pid);
    kill(-pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    Run({"rm", "-rf", config});
    return ok ? std::optional(figures) : std::nullopt;
}

double Median(std::vector<double> Values) {
    std::sort(Values.begin(), Values.end());
    const std::size_t n = Values.size();
    return n == 0 ? 0.0 : n % 2 == 1 ? Values[n / 2] : (Values[n / 2 - 1] + Values[n / 2]) / 2.0;
}

// The medians over Starts starts (TORVANE_STARTS, 10 by default); starts where the window or a game
// did not come are counted apart and left out.
void BM_ProgramStart(benchmark::State& state, const std::string& Program) {
    TDisplay x;
    if (!x.Ok()) {
        state.SkipWithError("no X display");
        return;
    }
    const char* count = std::getenv("TORVANE_STARTS");
    const int starts = count != nullptr && std::atoi(count) > 0 ? std::atoi(count) : 10;
    constexpr int FurtherGames = 4;
    for (auto _ : state) {
        std::map<std::string, std::vector<double>> figures;
        int failed = 0;
        for (int i = 0; i < starts; ++i) {
            const std::optional<TStart> start = StartOnce(x, Program, FurtherGames);
            if (!start) {
                ++failed;
                continue;
            }
            figures["mapped_ms"].push_back(start->MappedMs);
            figures["all_rss_MB"].push_back(start->One.RssMiB);
            figures["all_pss_MB"].push_back(start->One.PssMiB);
            figures["program_rss_MB"].push_back(start->One.RootRssMiB);
            figures["processes"].push_back(start->One.Processes);
            figures["threads"].push_back(start->One.Threads);
            figures["per_game_MB"].push_back((start->More.RssMiB - start->One.RssMiB) / FurtherGames);
        }
        if (figures.empty()) {
            state.SkipWithError("the window or a game never came");
            return;
        }
        for (const auto& [name, values] : figures) {
            state.counters[name] = Median(values);
        }
        state.counters["max_mapped_ms"] =
            *std::max_element(figures["mapped_ms"].begin(), figures["mapped_ms"].end());
        state.counters["failed_starts"] = failed;
        state.SetIterationTime(Median(figures["mapped_ms"]) / 1000.0);
    }
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::pair<std::string, std::string>> programs;
    const char* named = std::getenv("TORVANE_PROGRAMS");
    std::istringstream list(named != nullptr ? named : "");
    for (std::string item; std::getline(list, item, ';');) {
        const auto equals = item.find('=');
        if (equals != std::string::npos) {
            programs.emplace_back(item.substr(0, equals), item.substr(equals + 1));
        }
    }
    if (programs.empty()) {
        programs.emplace_back("this_build", PROGRAM_DIR "/torvane");
    }
    for (const auto& [name, program] : programs) {
        benchmark::RegisterBenchmark(("BM_ProgramStart/" + name).c_str(), BM_ProgramStart, program)
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
