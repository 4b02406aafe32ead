#ifndef BRELTA_TESTS_GATEWAYRETRIES_H
#define BRELTA_TESTS_GATEWAYRETRIES_H

#include "LogRecords.h"

namespace brelta::test {

// Checks, from the records' timestamps, how the gateway test spent its time after
// `answers` in-progress answers: no sleep before the first check, one 250 ms sleep after each
// in-progress answer (the last one too) and none after the verdict's check. A gap may run up
// to 250 ms long on a busy machine before it counts as a sleep too many. Returns the seconds
// from the task's start to its verdict (-1 when the records are missing).
double ExpectGatewayRetries(const LogRecords& log, int answers);

}  // namespace brelta::test

#endif
