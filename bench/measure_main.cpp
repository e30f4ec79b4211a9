// kestrel_measure: runs a command several times and reports the median wall
// time and the peak resident memory of the child (wait4's rusage). A run may
// be a sequence of commands separated by "--then" (times add up, the peak is
// the largest). With "--versus", a reference run follows every run of the
// subject, so that both see the same load on a shared machine. Bench tool
// only: it speaks POSIX directly.
//
//   kestrel_measure [--runs N] [--warmup N] [--stdin FILE] [--stdout FILE] [--stderr FILE]
//                   [--truncate FILE]... [--empty DIR]...
//                   -- CMD ARGS... [--then CMD ARGS...] [--versus CMD ARGS... [--then CMD ARGS...]]
//
// Prints one line per measured run kind (cpu: median user + system time):
//   subject median=S min=S max=S cpu=S peak_kib=K runs=N
//   reference median=S min=S max=S cpu=S peak_kib=K runs=N
// Standard input and output default to /dev/null. Files given with
// --truncate are emptied and folders given with --empty lose their files
// before every run of the subject, outside the timed part.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

using Command = std::vector<std::string>;
using Sequence = std::vector<Command>;

struct Options {
    int runs = 5;
    int warmup = 0;
    std::string input = "/dev/null";
    std::string output = "/dev/null";
    std::string errors;  // empty: the harness's own standard error
    std::vector<std::string> truncate;
    std::vector<std::string> empty;
    Sequence subject;
    Sequence reference;
};

struct Sample {
    double seconds = 0;
    double cpu = 0;  // user + system time of the child
    long peakKib = 0;
};

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "kestrel_measure: %s\n", message.c_str());
    std::exit(2);
}

Options parse(int argc, char** argv) {
    Options options;
    int i = 1;
    auto value = [&](const char* name) -> std::string {
        if (i + 1 >= argc) fail(std::string(name) + " needs a value");
        return argv[++i];
    };
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs")
            options.runs = std::atoi(value("--runs").c_str());
        else if (arg == "--warmup")
            options.warmup = std::atoi(value("--warmup").c_str());
        else if (arg == "--stdin")
            options.input = value("--stdin");
        else if (arg == "--stdout")
            options.output = value("--stdout");
        else if (arg == "--stderr")
            options.errors = value("--stderr");
        else if (arg == "--truncate")
            options.truncate.push_back(value("--truncate"));
        else if (arg == "--empty")
            options.empty.push_back(value("--empty"));
        else if (arg == "--") {
            ++i;
            break;
        } else
            fail("unknown option " + arg);
    }
    Sequence* sequence = &options.subject;
    sequence->emplace_back();
    for (; i < argc; ++i) {
        if (std::strcmp(argv[i], "--then") == 0) {
            sequence->emplace_back();
        } else if (std::strcmp(argv[i], "--versus") == 0 && sequence == &options.subject) {
            sequence = &options.reference;
            sequence->emplace_back();
        } else {
            sequence->back().push_back(argv[i]);
        }
    }
    for (const Sequence* each : {&options.subject, &options.reference})
        for (const Command& command : *each)
            if (command.empty()) fail("missing command (usage: kestrel_measure [options] -- CMD ARGS...)");
    if (options.runs < 1) fail("--runs must be at least 1");
    return options;
}

void prepare(const Options& options) {
    for (const std::string& file : options.truncate) fs::resize_file(file, 0);
    for (const std::string& dir : options.empty) {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(dir, error))
            if (entry.is_regular_file()) fs::remove(entry.path(), error);
    }
}

Sample runOne(const Options& options, const Command& command) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, options.input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, options.output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    if (!options.errors.empty())
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, options.errors.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                         0644);
    std::vector<char*> args;
    for (const std::string& arg : command) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) fail("cannot start " + command[0] + ": " + std::strerror(spawned));
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) fail("wait4 failed for " + command[0]);
    const auto stop = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::string text;
        for (const std::string& arg : command) text += " " + arg;
        fail("command failed (status " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + "):" + text);
    }
    const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return {std::chrono::duration<double>(stop - start).count(), cpu, usage.ru_maxrss};
}

Sample runSequence(const Options& options, const Sequence& sequence) {
    Sample total;
    for (const Command& command : sequence) {
        const Sample one = runOne(options, command);
        total.seconds += one.seconds;
        total.cpu += one.cpu;
        total.peakKib = std::max(total.peakKib, one.peakKib);
    }
    return total;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Series {
    std::vector<double> times;
    std::vector<double> cpu;
    long peakKib = 0;

    void add(const Sample& sample) {
        times.push_back(sample.seconds);
        cpu.push_back(sample.cpu);
        peakKib = std::max(peakKib, sample.peakKib);
    }
    void print(const char* kind) const {
        const auto [fastest, slowest] = std::minmax_element(times.begin(), times.end());
        std::printf("%s median=%.6f min=%.6f max=%.6f cpu=%.6f peak_kib=%ld runs=%zu\n", kind, median(times), *fastest,
                    *slowest, median(cpu), peakKib, times.size());
    }
};

}  // namespace

int main(int argc, char** argv) {
    const Options options = parse(argc, argv);
    const bool versus = !options.reference.empty();
    for (int i = 0; i < options.warmup; ++i) {
        prepare(options);
        runSequence(options, options.subject);
        if (versus) runSequence(options, options.reference);
    }
    Series subject;
    Series reference;
    for (int i = 0; i < options.runs; ++i) {
        prepare(options);
        subject.add(runSequence(options, options.subject));
        if (versus) reference.add(runSequence(options, options.reference));
    }
    subject.print("subject");
    if (versus) reference.print("reference");
    return 0;
}
