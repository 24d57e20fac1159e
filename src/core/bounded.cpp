#include "bounded.h"

namespace qvx {

void throwIndexError(const char* what, long index, long bound) {
    throw std::out_of_range(std::string(what) + " " + std::to_string(index) + " outside 0.." +
                            std::to_string(bound - 1));
}

}  // namespace qvx
