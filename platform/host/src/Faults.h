#ifndef BRELTA_HOST_FAULTS_H
#define BRELTA_HOST_FAULTS_H

namespace brelta::host {

// Scripted results of platform functions: $ROOT/faults/<function> holds whitespace-separated
// integers, one taken per call in this process; after the last one the function behaves
// normally. A script is read at the first call of its function in the process.
class Faults {
public:
    // True when this call of `function` has a scripted number; *value is it.
    static bool Next(const char* function, int* value);
    // True when this call of a status-returning function must fail; *status is the non-zero
    // result to return. A scripted 0 means "do the normal work".
    static bool Fail(const char* function, int* status);
    // Forgets every loaded script (tests switch device roots within one process).
    static void Reset();
};

}  // namespace brelta::host

#endif
