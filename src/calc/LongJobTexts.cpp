#include "calc/LongJobTexts.h"

#include "calc/LongJob.h"

namespace kelmora {

std::string ProgressText(int item, int itemCount) {
    if (itemCount > 0) return std::to_string(item) + " / " + std::to_string(itemCount) + " 処理中";
    return "処理中(" + std::to_string(item) + ")";
}

std::string_view EndStatusText(int code) {
    if (code == kJobCancelled) return "キャンセル";
    if (code > 0) return "終了";
    return "エラー発生";
}

std::optional<FinalMessage> FinalMessageFor(int result, std::string_view errorText) {
    if (result == kJobNormalEnd) return FinalMessage{"処理正常終了しました.", MessageIcon::kInformation};
    if (result == kJobCancelled) return FinalMessage{"キャンセルしました.", MessageIcon::kInformation};
    if (result < kJobCancelled)
        return FinalMessage{"エラー発生.\n" + std::string(errorText), MessageIcon::kError};
    if (result == 0) return FinalMessage{"リターン値エラー.", MessageIcon::kError};
    return std::nullopt;
}

}  // namespace kelmora
