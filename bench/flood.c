/* flood COUNT SIZE [RATE]: sends COUNT UDP datagrams of SIZE bytes to a socket of its own on
 * 127.0.0.1, as fast as it can or at RATE datagrams a second, paced a millisecond at a time.
 * The receiving socket is bound but never read (the kernel drops what does not fit), so the
 * loopback interface carries exactly COUNT datagrams and no port-unreachable replies.
 * Prints the seconds the sending took. */
#define _GNU_SOURCE
#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

static double now(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: flood COUNT SIZE [RATE]\n");
        return 2;
    }
    long count = atol(argv[1]), size = atol(argv[2]), rate = argc > 3 ? atol(argv[3]) : 0;
    if (count < 1 || size < 1 || size > 65000 || rate < 0) {
        fprintf(stderr, "flood: COUNT >= 1, 1 <= SIZE <= 65000, RATE >= 0\n");
        return 2;
    }
    struct sockaddr_in to = {.sin_family = AF_INET, .sin_addr.s_addr = htonl(INADDR_LOOPBACK)};
    socklen_t length = sizeof to;
    int sink = socket(AF_INET, SOCK_DGRAM, 0), out = socket(AF_INET, SOCK_DGRAM, 0);
    int small = 1;
    setsockopt(sink, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    if (sink < 0 || out < 0 || bind(sink, (struct sockaddr*)&to, sizeof to) != 0 ||
        getsockname(sink, (struct sockaddr*)&to, &length) != 0) {
        perror("flood: socket");
        return 1;
    }
    char* payload = calloc(1, (size_t)size);
    struct timespec tick;
    clock_gettime(CLOCK_MONOTONIC, &tick);
    long per_ms = rate > 0 ? (rate + 999) / 1000 : count;
    double start = now();
    for (long sent = 0; sent < count;) {
        for (long i = 0; i < per_ms && sent < count; ++i, ++sent) {
            if (sendto(out, payload, (size_t)size, 0, (struct sockaddr*)&to, sizeof to) < 0) {
                perror("flood: sendto");
                return 1;
            }
        }
        if (rate > 0) {
            tick.tv_nsec += 1000000;
            if (tick.tv_nsec >= 1000000000) {
                tick.tv_nsec -= 1000000000;
                tick.tv_sec += 1;
            }
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &tick, NULL);
        }
    }
    printf("%.3f\n", now() - start);
    return 0;
}
