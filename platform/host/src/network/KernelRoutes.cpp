#include "network/KernelRoutes.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net_connection.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace brelta::host {

namespace {
// The kernel answers a dump at once; a reply that takes longer than this is not coming.
constexpr int kReplySeconds = 2;
// The largest message the kernel puts in one reply of a dump.
constexpr size_t kBufferBytes = 32768;

// The route's table: the attribute when there is one (tables above 255), else the header's.
unsigned Table(const rtmsg* route, size_t length) {
    unsigned table = route->rtm_table;
    const rtattr* attr = RTM_RTA(route);
    auto left = static_cast<unsigned>(length);
    for (; RTA_OK(attr, left); attr = RTA_NEXT(attr, left))
        if (attr->rta_type == RTA_TABLE && RTA_PAYLOAD(attr) >= sizeof(uint32_t))
            std::memcpy(&table, RTA_DATA(attr), sizeof(uint32_t));
    return table;
}

bool IsDefault(const nlmsghdr* header) {
    if (header->nlmsg_len < NLMSG_LENGTH(sizeof(rtmsg))) return false;
    const auto* route = static_cast<const rtmsg*>(NLMSG_DATA(header));
    return route->rtm_dst_len == 0 && route->rtm_type == RTN_UNICAST &&
           (route->rtm_flags & (RTNH_F_DEAD | RTNH_F_LINKDOWN)) == 0 &&
           Table(route, header->nlmsg_len - NLMSG_LENGTH(sizeof(rtmsg))) == RT_TABLE_MAIN;
}
}  // namespace

KernelRoutes::Answer KernelRoutes::FromReplies(const void* data, size_t length, bool* done) {
    *done = false;
    auto left = static_cast<unsigned>(length);
    for (auto* header = static_cast<const nlmsghdr*>(data); NLMSG_OK(header, left);
         header = NLMSG_NEXT(header, left)) {
        if (header->nlmsg_type == NLMSG_DONE) {
            *done = true;
            return Answer::No;
        }
        if (header->nlmsg_type == NLMSG_ERROR) return Answer::Unknown;
        if (header->nlmsg_type == RTM_NEWROUTE && IsDefault(header)) {
            *done = true;
            return Answer::Yes;
        }
    }
    return left == 0 ? Answer::No : Answer::Unknown;
}

int KernelRoutes::Check(bool* answer) {
    int fd = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd < 0) return CONNECTION_ERROR_OPERATION_FAILED;
    timeval timeout = {kReplySeconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    struct {
        nlmsghdr header;
        rtmsg route;
    } request = {};
    request.header.nlmsg_len = sizeof request;
    request.header.nlmsg_type = RTM_GETROUTE;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = 1;
    request.route.rtm_family = AF_UNSPEC;
    sockaddr_nl kernel = {};
    kernel.nl_family = AF_NETLINK;
    Answer result = Answer::Unknown;
    if (sendto(fd, &request, sizeof request, 0, reinterpret_cast<sockaddr*>(&kernel),
               sizeof kernel) == static_cast<ssize_t>(sizeof request)) {
        std::vector<char> buffer(kBufferBytes);
        for (bool done = false; !done;) {
            ssize_t n = recv(fd, buffer.data(), buffer.size(), 0);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                result = Answer::Unknown;
                break;
            }
            result = FromReplies(buffer.data(), static_cast<size_t>(n), &done);
            if (result == Answer::Unknown) break;
        }
    }
    close(fd);
    if (result == Answer::Unknown) return CONNECTION_ERROR_OPERATION_FAILED;
    *answer = result == Answer::Yes;
    return CONNECTION_ERROR_NONE;
}

LiveNeed KernelRoutes::Need() {
    bool answer = false;
    errno = 0;
    if (KernelRoutes().Check(&answer) != CONNECTION_ERROR_NONE)
        return {false, std::string("the routing table does not answer over rtnetlink") +
                           (errno != 0 ? std::string(": ") + std::strerror(errno) : "")};
    return {true, std::string("the kernel's routing table: ") +
                      (answer ? "a default route" : "no default route")};
}

}  // namespace brelta::host
