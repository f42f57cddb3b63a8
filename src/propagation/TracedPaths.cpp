#include "propagation/TracedPaths.h"

namespace kelmora {

const char* PathKindName(PathKind kind) {
    switch (kind) {
        case PathKind::Direct:
            return "直接";
        case PathKind::Diffracted:
            return "回折";
        case PathKind::Reflected:
            return "反射";
        case PathKind::ThroughOpening:
            return "開口部";
    }
    return "";
}

}  // namespace kelmora
