// Entry point of the reliability tests. Two things GoogleTest's own main does
// not do:
//   --seed=N   runs the message storm with another seed than the fixed
//              default, so that every run of the suite plays the same
//              events unless asked otherwise (VIGILOR_STORM_SEED=N works
//              too, for runs through ctest);
//   VIGILOR_RESULT_FILE  receives the exit code, for the script that runs
//              this program on a Wine desktop of its own, where the code
//              itself is lost.
#include "reliability_main.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace reliability {

uint64_t stormSeed = 20261208;

} // namespace reliability

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (const char* seed = std::getenv("VIGILOR_STORM_SEED")) {
        reliability::stormSeed = std::strtoull(seed, nullptr, 10);
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--seed=", 7) == 0) {
            reliability::stormSeed = std::strtoull(argv[i] + 7, nullptr, 10);
        }
    }
    int result = RUN_ALL_TESTS();
    if (const char* file = std::getenv("VIGILOR_RESULT_FILE")) {
        if (FILE* out = std::fopen(file, "w")) {
            std::fprintf(out, "%d\n", result);
            std::fclose(out);
        }
    }
    return result;
}
