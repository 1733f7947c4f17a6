// Start-up, idle CPU and memory of the editor against the framework's floor, both started as
// separate processes on the X display this runs on (make bench runs it under Xvfb).
//
//   karvelo_window_bench <editor> <floor> [runs]
//   karvelo_window_bench <editor> <floor> [runs] startup    start-up only, one launch of each a run
//
// Start-up is the time from exec to the first pixels the program draws into its window: the
// X server's DAMAGE extension says when the window's contents change, and the first change that
// alters the row of pixels across its middle is the program's paint. (Mapping a window without a
// background already reports damage over all of it, long before the program paints.) Idle CPU is the time the
// process spends on a CPU (its schedstat, in nanoseconds) over 10 s after its windows are up. Peak memory is
// VmHWM. Ten windows: the editor gets Ctrl+N nine times through the XTEST extension; the floor is asked for
// ten windows. Each run measures six start-ups of each program: five launches of start-up alone, in
// turns with the other program, and the launch that goes on to the idle and memory figures.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/select.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

double millisecondsSince (Clock::time_point start)
{
    return std::chrono::duration<double, std::milli> (Clock::now() - start).count();
}

double median (std::vector<double> values)
{
    std::sort (values.begin(), values.end());
    const auto n = values.size();
    return n == 0 ? 0.0 : (n % 2 == 1 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]));
}

/** Nanoseconds the process has spent on a CPU so far. */
long long cpuNanoseconds (pid_t pid)
{
    std::ifstream stat ("/proc/" + std::to_string (pid) + "/schedstat");
    long long onCpu = 0;
    stat >> onCpu;
    return onCpu;
}

/** Peak resident set, in kB. */
long peakResidentKilobytes (pid_t pid)
{
    std::ifstream status ("/proc/" + std::to_string (pid) + "/status");
    std::string line;

    while (std::getline (status, line))
        if (line.rfind ("VmHWM:", 0) == 0)
            return std::strtol (line.c_str() + 6, nullptr, 10);

    return 0;
}

class XDisplay
{
public:
    XDisplay()
        : display (XOpenDisplay (nullptr))
    {
        if (display == nullptr)
        {
            std::fprintf (stderr, "window-bench: no X display\n");
            std::exit (1);
        }

        int errorBase = 0;

        if (! XDamageQueryExtension (display, &damageEventBase, &errorBase))
        {
            std::fprintf (stderr, "window-bench: the X server has no DAMAGE extension\n");
            std::exit (1);
        }

        // Windows come and go while they are looked at: a query about one just destroyed is not fatal.
        XSetErrorHandler ([] (::Display*, XErrorEvent*) { return 0; });

        root = DefaultRootWindow (display);
        XSelectInput (display, root, SubstructureNotifyMask);
        XSync (display, False);
    }

    ~XDisplay() { XCloseDisplay (display); }

    /** Drops every event that arrived so far. */
    void discardEvents()
    {
        XSync (display, False);

        while (XPending (display) > 0)
        {
            XEvent event;
            XNextEvent (display, &event);
        }
    }

    /** Waits until a window that was mapped after the call receives its first pixels, and returns
        the time that took from the given start, in milliseconds, or a negative number. */
    double waitForFirstPaint (Clock::time_point start, int timeoutMilliseconds)
    {
        struct Watched
        {
            ::Window window;
            Damage damage;
            std::vector<char> rowAtMap; // the unpainted row
        };

        std::vector<Watched> watched; // each window mapped since the call
        auto elapsed = -1.0;

        while (elapsed < 0 && millisecondsSince (start) < timeoutMilliseconds)
        {
            if (! waitForEvent (10))
                continue;

            while (elapsed < 0 && XPending (display) > 0)
            {
                XEvent event;
                XNextEvent (display, &event);
                XWindowAttributes attributes;

                if (event.type == MapNotify && XGetWindowAttributes (display, event.xmap.window, &attributes)
                    && attributes.width > 100)
                {
                    const auto window = event.xmap.window;
                    watched.push_back ({ window, XDamageCreate (display, window, XDamageReportNonEmpty),
                                         middleRowOf (window) });
                }
                else if (event.type == damageEventBase + XDamageNotify)
                {
                    const auto& notify = reinterpret_cast<XDamageNotifyEvent&> (event);

                    for (auto& w : watched)
                        if (w.window == notify.drawable)
                        {
                            XDamageSubtract (display, w.damage, None, None);
                            auto row = middleRowOf (w.window);

                            // A window resized since it was mapped (JUCE maps some small first) has
                            // not been painted yet: what it shows now is the unpainted row.
                            if (row.size() != w.rowAtMap.size())
                                w.rowAtMap = std::move (row);
                            else if (row != w.rowAtMap)
                                elapsed = millisecondsSince (start);
                        }
                }
            }
        }

        for (auto& w : watched)
            XDamageDestroy (display, w.damage);

        return elapsed;
    }

    /** The pixels of the row across the middle of a window, as the server holds them now. */
    std::vector<char> middleRowOf (::Window window)
    {
        XWindowAttributes attributes;

        if (! XGetWindowAttributes (display, window, &attributes))
            return {};

        auto* image = XGetImage (display, window, 0, attributes.height / 2,
                                 static_cast<unsigned> (attributes.width), 1, AllPlanes, ZPixmap);

        if (image == nullptr)
            return {};

        std::vector<char> row (image->data, image->data + image->bytes_per_line);
        XDestroyImage (image);
        return row;
    }

    /** Presses Ctrl+N with the pointer over the given point. */
    void pressControlN (int x, int y)
    {
        XTestFakeMotionEvent (display, 0, x, y, 0);
        const auto control = XKeysymToKeycode (display, XK_Control_L);
        const auto n = XKeysymToKeycode (display, XK_n);
        XTestFakeKeyEvent (display, control, True, 0);
        XTestFakeKeyEvent (display, n, True, 0);
        XTestFakeKeyEvent (display, n, False, 0);
        XTestFakeKeyEvent (display, control, False, 0);
        XFlush (display);
    }

    int countTopLevelWindows()
    {
        ::Window rootReturn, parent, *children = nullptr;
        unsigned int count = 0;
        int mappedCount = 0;

        if (XQueryTree (display, root, &rootReturn, &parent, &children, &count))
        {
            for (unsigned int i = 0; i < count; ++i)
            {
                XWindowAttributes attributes;

                if (XGetWindowAttributes (display, children[i], &attributes)
                    && attributes.map_state == IsViewable && attributes.width > 100)
                    ++mappedCount;
            }

            XFree (children);
        }

        return mappedCount;
    }

private:
    bool waitForEvent (int milliseconds)
    {
        if (XPending (display) > 0)
            return true;

        const auto fd = ConnectionNumber (display);
        fd_set set;
        FD_ZERO (&set);
        FD_SET (fd, &set);
        timeval timeout{ 0, milliseconds * 1000 };
        return select (fd + 1, &set, nullptr, nullptr, &timeout) > 0;
    }

    ::Display* display;
    ::Window root;
    int damageEventBase = 0;
};

pid_t launch (const std::string& program, const std::vector<std::string>& arguments)
{
    const auto pid = fork();

    if (pid == 0)
    {
        std::vector<char*> argv{ const_cast<char*> (program.c_str()) };

        for (auto& argument : arguments)
            argv.push_back (const_cast<char*> (argument.c_str()));

        argv.push_back (nullptr);
        freopen ("/dev/null", "w", stdout);
        freopen ("/dev/null", "w", stderr);
        execv (program.c_str(), argv.data());
        _exit (127);
    }

    return pid;
}

void stop (pid_t pid)
{
    kill (pid, SIGKILL);
    waitpid (pid, nullptr, 0);
}

struct Sample
{
    double startupMs = 0, idleCpuMs = 0;
    long peakKilobytes = 0;
};

constexpr int idleSeconds = 10;
constexpr int startupLaunchesPerRun = 5;

Sample measure (XDisplay& display, const std::string& program, const std::vector<std::string>& arguments,
                int windows, bool openWindowsWithKeys)
{
    Sample sample;
    display.discardEvents();

    const auto start = Clock::now();
    const auto pid = launch (program, arguments);
    sample.startupMs = display.waitForFirstPaint (start, 30000);

    if (sample.startupMs < 0)
    {
        std::fprintf (stderr, "window-bench: %s showed no window\n", program.c_str());
        stop (pid);
        std::exit (1);
    }

    if (openWindowsWithKeys)
    {
        // A key press can arrive while the newest window is still being mapped and be lost: press
        // again until the count goes up.
        for (int attempts = 0; display.countTopLevelWindows() < windows && attempts < 3 * windows; ++attempts)
        {
            const auto before = display.countTopLevelWindows();
            display.pressControlN (300, 300);

            for (int wait = 0; wait < 100 && display.countTopLevelWindows() == before; ++wait)
                std::this_thread::sleep_for (std::chrono::milliseconds (10));
        }
    }

    for (int wait = 0; wait < 500 && display.countTopLevelWindows() < windows; ++wait)
        std::this_thread::sleep_for (std::chrono::milliseconds (10));

    if (display.countTopLevelWindows() < windows)
    {
        std::fprintf (stderr, "window-bench: %s opened %d of %d windows\n", program.c_str(),
                      display.countTopLevelWindows(), windows);
        stop (pid);
        std::exit (1);
    }

    std::this_thread::sleep_for (std::chrono::seconds (1));
    const auto cpuBefore = cpuNanoseconds (pid);
    std::this_thread::sleep_for (std::chrono::seconds (idleSeconds));
    sample.idleCpuMs = static_cast<double> (cpuNanoseconds (pid) - cpuBefore) / 1.0e6;
    sample.peakKilobytes = peakResidentKilobytes (pid);

    stop (pid);
    return sample;
}

/** Start-up alone: the program is ended as soon as it has painted. */
double measureStartup (XDisplay& display, const std::string& program)
{
    display.discardEvents();
    const auto start = Clock::now();
    const auto pid = launch (program, {});
    const auto startupMs = display.waitForFirstPaint (start, 30000);
    stop (pid);

    // The window has gone and the display is quiet again before the next program starts.
    while (display.countTopLevelWindows() > 0)
        std::this_thread::sleep_for (std::chrono::milliseconds (10));

    return startupMs;
}

struct Figures
{
    std::vector<double> startup, idleOne, idleTen, peakOne, peakTen;
};

/** "median (minimum - maximum)": one noisy run shows as a wide spread, not as a moved median. */
std::string withSpread (const std::vector<double>& values)
{
    const auto [lowest, highest] = std::minmax_element (values.begin(), values.end());
    char text[64];
    std::snprintf (text, sizeof (text), "%7.2f (%.2f - %.2f)", median (values), *lowest, *highest);
    return text;
}

/** Prints where the ratio of the two medians lies with 95 % confidence, by resampling each
    program's launches with replacement (2,000 times, fixed seed): a target outside this interval
    is met or missed whatever the next measurement's noise. */
void printRatioInterval (const std::vector<double>& editor, const std::vector<double>& floor)
{
    if (editor.empty() || floor.empty())
        return;

    std::mt19937 random (20261207);
    const auto resampledMedian = [&random] (const std::vector<double>& values)
    {
        std::uniform_int_distribution<size_t> pick (0, values.size() - 1);
        std::vector<double> sample (values.size());

        for (auto& value : sample)
            value = values[pick (random)];

        return median (sample);
    };

    std::vector<double> ratios;

    for (int i = 0; i < 2000; ++i)
        ratios.push_back (resampledMedian (editor) / resampledMedian (floor));

    std::sort (ratios.begin(), ratios.end());
    std::printf ("%-34s 95 %% interval of the start-up ratio: %.2f - %.2f\n", "", ratios[50], ratios[1949]);
}

void printRow (const char* name, const std::vector<double>& editor, const std::vector<double>& floor,
               const std::string& target)
{
    const auto floorMedian = median (floor);
    std::printf ("%-34s %-26s %-26s %6.2f   %s\n", name, withSpread (editor).c_str(),
                 withSpread (floor).c_str(), floorMedian > 0 ? median (editor) / floorMedian : 0.0,
                 target.c_str());
}
} // namespace

int main (int argc, char* argv[])
{
    if (argc < 3)
    {
        std::fprintf (stderr, "usage: %s <editor> <floor> [runs]\n", argv[0]);
        return 2;
    }

    const std::string editor = argv[1], floor = argv[2];
    const auto runs = argc > 3 ? std::max (1, std::atoi (argv[3])) : 5;
    XDisplay display;
    Figures editorFigures, floorFigures;

    if (argc > 4 && std::string (argv[4]) == "startup")
    {
        for (int run = 0; run < runs; ++run)
        {
            editorFigures.startup.push_back (measureStartup (display, editor));
            floorFigures.startup.push_back (measureStartup (display, floor));
        }

        std::printf ("\nmedian (min - max) of %d runs      editor                     floor                  "
                     "    ratio   target\n",
                     runs);
        printRow ("start-up to first paint (ms)", editorFigures.startup, floorFigures.startup,
                  "<= 1.25 x floor");
        printRatioInterval (editorFigures.startup, floorFigures.startup);
        return 0;
    }

    for (int run = 1; run <= runs; ++run)
    {
        std::fprintf (stderr, "run %d of %d\n", run, runs);

        // A start-up varies by a few milliseconds from one launch to the next, as much as the editor
        // and the floor differ: each run adds launches of start-up alone, in turns.
        for (int launch = 0; launch < startupLaunchesPerRun; ++launch)
        {
            editorFigures.startup.push_back (measureStartup (display, editor));
            floorFigures.startup.push_back (measureStartup (display, floor));
        }

        for (auto* figures : { &editorFigures, &floorFigures })
        {
            const bool isEditor = figures == &editorFigures;
            const auto& program = isEditor ? editor : floor;

            const auto one = measure (display, program, {}, 1, false);
            const auto ten = measure (
                display, program, isEditor ? std::vector<std::string>{} : std::vector<std::string>{ "10" },
                10, isEditor);

            figures->startup.push_back (one.startupMs);
            figures->idleOne.push_back (one.idleCpuMs);
            figures->peakOne.push_back (static_cast<double> (one.peakKilobytes) / 1024.0);
            figures->idleTen.push_back (ten.idleCpuMs);
            figures->peakTen.push_back (static_cast<double> (ten.peakKilobytes) / 1024.0);
        }
    }

    const auto editorPerWindow = (median (editorFigures.peakTen) - median (editorFigures.peakOne)) / 9.0;
    const auto floorPerWindow = (median (floorFigures.peakTen) - median (floorFigures.peakOne)) / 9.0;

    std::printf ("\nmedian (min - max) of %d runs; start-up of %d launches of each\n", runs,
                 static_cast<int> (editorFigures.startup.size()));
    std::printf ("%-34s %-26s %-26s %6s   %s\n", "", "editor", "floor", "ratio", "target");
    printRow ("start-up to first paint (ms)", editorFigures.startup, floorFigures.startup, "<= 1.25 x floor");
    printRatioInterval (editorFigures.startup, floorFigures.startup);
    printRow ("idle CPU, 10 s, one window (ms)", editorFigures.idleOne, floorFigures.idleOne,
              "<= 1.5 x floor");
    printRow ("idle CPU, 10 s, ten windows (ms)", editorFigures.idleTen, floorFigures.idleTen,
              "<= 2 x floor");
    printRow ("peak memory, one window (MB)", editorFigures.peakOne, floorFigures.peakOne,
              "<= floor + 20 MB");
    std::printf ("%-34s %7.2f %26.2f   %23s\n", "memory per further window (MB)", editorPerWindow,
                 floorPerWindow, "<= 3 MB");
    std::printf ("\nmemory above the floor with one window: %.2f MB\n",
                 median (editorFigures.peakOne) - median (floorFigures.peakOne));
    return 0;
}
