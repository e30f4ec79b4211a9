// pty_run: runs a program with a pseudo-terminal as its standard input,
// output and error, and copies everything it wrote to our standard output.
// The exit status is the program's. Lets the end-to-end tests see what a
// program shows on a terminal without a person at one.
//
//   pty_run program [argument ...]
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: pty_run program [argument ...]\n");
        return 2;
    }
    struct termios raw {};
    cfmakeraw(&raw);  // no echo, no CR LF translation: the bytes as written
    int master = -1;
    pid_t child = forkpty(&master, nullptr, &raw, nullptr);
    if (child < 0) {
        std::perror("pty_run: forkpty");
        return 2;
    }
    if (child == 0) {
        execvp(argv[1], argv + 1);
        std::perror("pty_run: exec");
        _exit(127);
    }
    char buffer[4096];
    for (;;) {
        ssize_t got = read(master, buffer, sizeof buffer);
        if (got > 0) {
            std::fwrite(buffer, 1, static_cast<std::size_t>(got), stdout);
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else {
            break;  // EIO once the program and its children closed the terminal
        }
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}
