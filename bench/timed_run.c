/* SPDX-License-Identifier: MIT */
/* Runs a command and prints what it cost: "WALL_US CPU_US MAXRSS_KIB STATUS".
 *
 *   mirel-timed-run COMMAND [ARG ...]
 *
 * The clock runs from just before the fork to the reap; CPU time (user + system)
 * and peak resident memory are the kernel's (wait4). A small process forks the
 * command, so that the peak memory is the command's own and not that of a large
 * parent it was forked from. The command's standard output goes to /dev/null; its
 * standard error is passed on. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: %s COMMAND [ARG ...]\n", argv[0]);
        return 2;
    }
    struct timespec start, end;
    clock_gettime(CLOCK_MONOTONIC, &start);
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        execvp(argv[1], argv + 1);
        perror(argv[1]);
        _exit(127);
    }
    int status = 0;
    struct rusage usage;
    if (child < 0 || wait4(child, &status, 0, &usage) != child) {
        perror("fork/wait4");
        return 2;
    }
    clock_gettime(CLOCK_MONOTONIC, &end);
    const long long wall = (end.tv_sec - start.tv_sec) * 1000000LL + (end.tv_nsec - start.tv_nsec) / 1000;
    const long long cpu = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000LL + usage.ru_utime.tv_usec
                          + usage.ru_stime.tv_usec;
    printf("%lld %lld %ld %d\n", wall, cpu, usage.ru_maxrss,
           WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    return 0;
}
