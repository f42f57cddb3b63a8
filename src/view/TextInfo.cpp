#include "view/TextInfo.h"

namespace kelmora {

void CTextInfo::Draw(DisplayLayer& target, ClientPoint at, const std::string& text) const {
    target.push_back(TextPrimitive{at, anchor, text, font, textColor, opaque != 0, backColor});
}

}  // namespace kelmora
