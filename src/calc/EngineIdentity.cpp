#include <gnu/libc-version.h>

#include "calc/EngineVersion.h"

namespace kelmora {

const std::string& EngineIdentity() {
    static const std::string identity = std::string(EngineVersion()) + " engine " +
                                        std::string(EngineSourceDigest()) + " glibc " +
                                        gnu_get_libc_version();
    return identity;
}

}  // namespace kelmora
