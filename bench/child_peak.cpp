// Runs a command and prints, on its last line of standard output, the command's own peak
// resident size in KiB and its wall-clock seconds: "peak-kib <n> seconds <s>". A program of
// its own, with no library beyond the C one, so that the figure is the command's and not that
// of a larger process it was forked from (Linux counts the forking process's pages in the
// peak of a child that has not yet run exec).
//   quorvelle_child_peak COMMAND [ARG ...]

#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s COMMAND [ARG ...]\n", argv[0]);
        return 2;
    }
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    const pid_t child = fork();
    if (child < 0) {
        std::perror("fork");
        return 1;
    }
    if (child == 0) {
        execvp(argv[1], argv + 1);
        std::perror(argv[1]);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) {
        std::perror("wait4");
        return 1;
    }
    timespec end{};
    clock_gettime(CLOCK_MONOTONIC, &end);
    const double seconds = static_cast<double>(end.tv_sec - start.tv_sec) +
                           static_cast<double>(end.tv_nsec - start.tv_nsec) / 1e9;
    std::fflush(stdout);
    std::printf("peak-kib %ld seconds %.4f\n", usage.ru_maxrss, seconds);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
