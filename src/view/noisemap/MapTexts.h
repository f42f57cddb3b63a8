#pragma once
// The texts of noise maps: legend headings, the out-of-date mark and the items of the "表示(&V)" menu
// that show the map on the plan.
#include <string_view>

namespace kelmora {

// Legend headings by the level shown.
inline constexpr std::string_view kLegendLAeqT = "等価騒音レベル LAeqT [dB]";
inline constexpr std::string_view kLegendLAmax = "最大騒音レベル LAmax [dB]";
inline constexpr std::string_view kLegendLevel = "騒音レベル [dB]";
inline constexpr std::string_view kLegendDifferenceLAeqT = "LAeqT の差 [dB]";
inline constexpr std::string_view kLegendDifferenceLAmax = "LAmax の差 [dB]";
inline constexpr std::string_view kLegendDifference = "騒音レベルの差 [dB]";
// "地上 %s m": the height of a horizontal grid above the ground.
inline constexpr std::string_view kLegendGridHeightPrefix = "地上 ";
inline constexpr std::string_view kLegendGridHeightSuffix = " m";
inline constexpr std::string_view kLegendSection = "鉛直断面";
// Shown in red under the heading when the model was edited after the run whose results the map shows.
inline constexpr std::string_view kMapOutOfDate = "モデル変更後の結果です（再計算してください）";

// Axis titles of a vertical section.
inline constexpr std::string_view kSectionDistanceAxis = "距離 [m]";
inline constexpr std::string_view kSectionHeightAxis = "標高 Z [m]";

// Items of the "表示(&V)" menu, after "ツール バー(&T)" and "ステータス バー(&S)".
inline constexpr std::string_view kMenuShowMap = "騒音マップ(&M)";
inline constexpr std::string_view kMenuShowIsoLines = "等値線(&I)";
inline constexpr std::string_view kMenuShowLegend = "凡例(&L)";
inline constexpr std::string_view kMenuShowLAeqT = "等価騒音レベル LAeqT(&E)";
inline constexpr std::string_view kMenuShowLAmax = "最大騒音レベル LAmax(&X)";
inline constexpr std::string_view kMenuOpenResultFile = "計算結果ファイルを開く(&R)...";
inline constexpr std::string_view kMenuShowSection = "鉛直断面(&D)...";
// Their status-bar prompts, phrased as those of the other items.
inline constexpr std::string_view kPromptShowMap = "騒音マップの表示/非表示を切り替えます";
inline constexpr std::string_view kPromptShowIsoLines = "騒音マップの等値線の表示/非表示を切り替えます";
inline constexpr std::string_view kPromptShowLegend = "騒音マップの凡例の表示/非表示を切り替えます";
inline constexpr std::string_view kPromptShowLAeqT = "騒音マップに等価騒音レベル LAeqT を表示します";
inline constexpr std::string_view kPromptShowLAmax = "騒音マップに最大騒音レベル LAmax を表示します";
inline constexpr std::string_view kPromptOpenResultFile =
    "以前の計算結果ファイルを開いて騒音マップを表示します";
inline constexpr std::string_view kPromptShowSection = "鉛直面格子の計算結果を断面図で表示します";

// The open-file dialog of a result file.
inline constexpr std::string_view kResultFileDialogTitle = "表示する計算結果ファイルを指定してください";
inline constexpr std::string_view kResultFileDialogFilter =
    "text File (*.txt)|*.txt|すべてのファイル (*.*)|*.*||";
// Caption of the message box of a result file that cannot be shown.
inline constexpr std::string_view kResultFileMessageCaption = "騒音マップ";

}  // namespace kelmora
