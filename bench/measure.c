/* Runs programs many times and reports, for each, the whole-process wall time (fork to
 * reaped) and the peak resident set size (ru_maxrss of the reaped child).
 *
 *   measure RUNS WARMUP LABEL CMD... [-- LABEL CMD...]...
 *       The programs are run in turns (A B A B ...), so that a drift of the machine's load
 *       touches all of them alike. Prints one line per program:
 *       LABEL runs N wall_ms median M mean M min M max M rss_kb median K max K cpu_ms median C
 *       (cpu: user + system time of the process, steadier than wall time on a busy machine)
 *
 *   measure --first-record RUNS LOG PATTERN CMD...
 *       Time from the fork to the time stamp of the first record of LOG that contains
 *       PATTERN (the log's own clock, UTC with milliseconds); the program is killed once the
 *       record is there. Prints: first_record runs N ms median M mean M min M max M
 *
 * Standard output and error of the programs go to /dev/null. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#define MAX_PROGRAMS 8

struct program {
    const char* label;
    char** argv;
    double* wall_ms;
    double* cpu_ms;
    long* rss_kb;
};

static double now_ms(clockid_t clock) {
    struct timespec ts;
    clock_gettime(clock, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

static pid_t spawn(char** argv) {
    pid_t pid = fork();
    if (pid < 0) {
        perror("fork");
        exit(1);
    }
    if (pid == 0) {
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        execvp(argv[0], argv);
        _exit(127);
    }
    return pid;
}

static int compare(const void* a, const void* b) {
    double x = *(const double*)a, y = *(const double*)b;
    return x < y ? -1 : x > y;
}

/* median, mean, min, max of n values (sorted in place) */
static void stats(double* v, int n, double* out) {
    qsort(v, n, sizeof *v, compare);
    double sum = 0;
    for (int i = 0; i < n; ++i) sum += v[i];
    out[0] = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    out[1] = sum / n;
    out[2] = v[0];
    out[3] = v[n - 1];
}

static int run_many(int runs, int warmup, int argc, char** argv) {
    struct program programs[MAX_PROGRAMS];
    int count = 0;
    for (int i = 0; i < argc;) {
        if (count == MAX_PROGRAMS || i + 1 >= argc) {
            fprintf(stderr, "measure: expected LABEL CMD... [-- LABEL CMD...]\n");
            return 2;
        }
        programs[count].label = argv[i];
        programs[count].argv = &argv[i + 1];
        int end = i + 1;
        while (end < argc && strcmp(argv[end], "--") != 0) ++end;
        argv[end < argc ? end : argc] = NULL;
        programs[count].wall_ms = calloc(runs, sizeof(double));
        programs[count].cpu_ms = calloc(runs, sizeof(double));
        programs[count].rss_kb = calloc(runs, sizeof(long));
        ++count;
        i = end + 1;
    }
    for (int r = -warmup; r < runs; ++r) {
        for (int p = 0; p < count; ++p) {
            double start = now_ms(CLOCK_MONOTONIC);
            pid_t pid = spawn(programs[p].argv);
            int status;
            struct rusage usage;
            if (wait4(pid, &status, 0, &usage) != pid) {
                perror("wait4");
                return 1;
            }
            double wall = now_ms(CLOCK_MONOTONIC) - start;
            if (!WIFEXITED(status) || WEXITSTATUS(status) == 127) {
                fprintf(stderr, "measure: %s did not run to its end\n", programs[p].label);
                return 1;
            }
            if (r < 0) continue;
            programs[p].wall_ms[r] = wall;
            programs[p].rss_kb[r] = usage.ru_maxrss;
            programs[p].cpu_ms[r] = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                                    (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
        }
    }
    for (int p = 0; p < count; ++p) {
        double wall[4], cpu[4], rss[4];
        double* rss_values = calloc(runs, sizeof(double));
        for (int r = 0; r < runs; ++r) rss_values[r] = (double)programs[p].rss_kb[r];
        stats(programs[p].wall_ms, runs, wall);
        stats(rss_values, runs, rss);
        stats(programs[p].cpu_ms, runs, cpu);
        printf(
            "%s runs %d wall_ms median %.3f mean %.3f min %.3f max %.3f rss_kb median %.0f "
            "max %.0f cpu_ms median %.3f\n",
            programs[p].label, runs, wall[0], wall[1], wall[2], wall[3], rss[0], rss[3], cpu[0]);
        free(rss_values);
    }
    return 0;
}

/* Milliseconds since the epoch of a record's "2026-12-05T13:46:45.123Z", or -1. */
static double record_ms(const char* line) {
    struct tm tm;
    memset(&tm, 0, sizeof tm);
    int ms = 0;
    if (sscanf(line, "%4d-%2d-%2dT%2d:%2d:%2d.%3dZ", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
               &tm.tm_hour, &tm.tm_min, &tm.tm_sec, &ms) != 7)
        return -1;
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    return (double)timegm(&tm) * 1e3 + ms;
}

/* The time of the first line of the file that contains pattern, or -1. */
static double find_record(const char* log, const char* pattern) {
    FILE* in = fopen(log, "r");
    if (in == NULL) return -1;
    char line[8192];
    double found = -1;
    while (fgets(line, sizeof line, in) != NULL)
        if (strstr(line, pattern) != NULL) {
            found = record_ms(line);
            break;
        }
    fclose(in);
    return found;
}

static int first_record(int runs, const char* log, const char* pattern, char** argv) {
    double* ms = calloc(runs, sizeof(double));
    for (int r = 0; r < runs; ++r) {
        unlink(log);
        double start = now_ms(CLOCK_REALTIME);
        pid_t pid = spawn(argv);
        double found = -1;
        double deadline = now_ms(CLOCK_MONOTONIC) + 10000;
        while (found < 0 && now_ms(CLOCK_MONOTONIC) < deadline) {
            usleep(1000);
            found = find_record(log, pattern);
        }
        kill(pid, SIGKILL);
        waitpid(pid, NULL, 0);
        if (found < 0) {
            fprintf(stderr, "measure: no record with '%s' in %s\n", pattern, log);
            return 1;
        }
        /* The stamp is cut to the millisecond: half a millisecond is the unbiased guess. */
        ms[r] = found + 0.5 - start;
    }
    double s[4];
    stats(ms, runs, s);
    printf("first_record runs %d ms median %.3f mean %.3f min %.3f max %.3f\n", runs, s[0], s[1],
           s[2], s[3]);
    return 0;
}

int main(int argc, char** argv) {
    if (argc > 5 && strcmp(argv[1], "--first-record") == 0)
        return first_record(atoi(argv[2]), argv[3], argv[4], &argv[5]);
    if (argc < 5) {
        fprintf(stderr,
                "usage: measure RUNS WARMUP LABEL CMD... [-- LABEL CMD...]...\n"
                "       measure --first-record RUNS LOG PATTERN CMD...\n");
        return 2;
    }
    int runs = atoi(argv[1]), warmup = atoi(argv[2]);
    if (runs < 1 || warmup < 0) {
        fprintf(stderr, "measure: RUNS must be at least 1\n");
        return 2;
    }
    return run_many(runs, warmup, argc - 3, argv + 3);
}
