#include "model/PredictivePoint.h"

namespace kelmora {

void CPredictivePoint::Serialize(CArchive& ar) {
    kelmora::Serialize(ar, position);
    ar.Io(label);
}

}  // namespace kelmora
