#pragma once
// The texts of noise maps: legend headings, the out-of-date mark and the items of the "表示(&V)" menu
// that show the map on the plan.
#include <string_view>

namespace kelmora {

// Legend headings by the level shown.
inline constexpr std::string_view kLegendLAeqT = "等価騒音レベル LAeqT [dB]";
inline constexpr std::string_view kLegendLAmax = "最大騒音レベル LAmax [dB]";
inline constexpr std::string_view kLegendLevel = "騒音レベル [dB]";
inline constexpr std::string_view kLegendDifferenceLAeqT = "LAeqT の差 A − B [dB]";
inline constexpr std::string_view kLegendDifferenceLAmax = "LAmax の差 A − B [dB]";
inline constexpr std::string_view kLegendDifference = "騒音レベルの差 A − B [dB]";
// The notes under a difference map's heading that name its two results: "A: " + name, "B: " + name.
inline constexpr std::string_view kLegendScenarioA = "A: ";
inline constexpr std::string_view kLegendScenarioB = "B: ";
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
inline constexpr std::string_view kMenuDifferenceMap = "差分マップ(&F)...";
inline constexpr std::string_view kMenuSaveMapPicture = "騒音マップを画像で保存(&P)...";
// Their status-bar prompts, phrased as those of the other items.
inline constexpr std::string_view kPromptShowMap = "騒音マップの表示/非表示を切り替えます";
inline constexpr std::string_view kPromptShowIsoLines = "騒音マップの等値線の表示/非表示を切り替えます";
inline constexpr std::string_view kPromptShowLegend = "騒音マップの凡例の表示/非表示を切り替えます";
inline constexpr std::string_view kPromptShowLAeqT = "騒音マップに等価騒音レベル LAeqT を表示します";
inline constexpr std::string_view kPromptShowLAmax = "騒音マップに最大騒音レベル LAmax を表示します";
inline constexpr std::string_view kPromptOpenResultFile =
    "以前の計算結果ファイルを開いて騒音マップを表示します";
inline constexpr std::string_view kPromptShowSection = "鉛直面格子の計算結果を断面図で表示します";
inline constexpr std::string_view kPromptDifferenceMap =
    "2つの計算結果ファイルのレベルの差を騒音マップで表示します";
inline constexpr std::string_view kPromptSaveMapPicture =
    "表示中の騒音マップを画像 (PNG, SVG) または GIS ファイル (GeoJSON, GeoPackage, GeoTIFF) に保存します";
inline constexpr std::string_view kMenuMapSettings = "騒音マップ設定(&O)...";
inline constexpr std::string_view kPromptMapSettings =
    "騒音マップの配色、等級、等値線、建物の塗り分けなどを設定します";
// The name of the change in the edit menu's undo.
inline constexpr std::string_view kMapSettingsChange = "騒音マップ設定の変更";
inline constexpr std::string_view kMapSettingsRefused =
    "ダイアログを閉じるか予測計算が終わってから騒音マップ設定を変えてください。";

// The open-file dialog of a result file.
inline constexpr std::string_view kResultFileDialogTitle = "表示する計算結果ファイルを指定してください";
inline constexpr std::string_view kResultFileDialogFilter =
    "text File (*.txt)|*.txt|すべてのファイル (*.*)|*.*||";
// Caption of the message boxes of noise maps (a result file that cannot be shown, a picture not saved).
inline constexpr std::string_view kResultFileMessageCaption = "騒音マップ";
// First line of the message of a result file that cannot be shown; the reason follows.
inline constexpr std::string_view kResultFileUnusable = "この計算結果ファイルは騒音マップにできません。";
// First line of the message of grid results of a run that make no map; the reason follows.
inline constexpr std::string_view kRunResultsUnusable = "計算結果から騒音マップを作れませんでした。";

// The two open-file dialogs of a difference map: scenario A, then scenario B, whose levels are
// subtracted from A's.
inline constexpr std::string_view kDifferenceFirstTitle =
    "差分マップ: 比較する計算結果ファイル (A) を指定してください";
inline constexpr std::string_view kDifferenceSecondTitle =
    "差分マップ: 差し引く計算結果ファイル (B) を指定してください";
inline constexpr std::string_view kDifferenceQuantitiesDiffer = "LAeqT と LAmax の差は作れません。";

// Saving a map or a section as a picture: the save dialog and its messages.
inline constexpr std::string_view kSaveMapPictureTitle =
    "騒音マップを保存する画像ファイル名を指定してください";
inline constexpr std::string_view kSaveSectionPictureTitle =
    "鉛直断面を保存する画像ファイル名を指定してください";
inline constexpr std::string_view kMapPictureFileFilter = "PNG画像 (*.png)|*.png|SVG画像 (*.svg)|*.svg||";
inline constexpr std::string_view kPictureExtensionWrong =
    "画像ファイルの拡張子は .png か .svg にしてください。";
// The plan's map also goes to GIS files.
inline constexpr std::string_view kMapFileFilter =
    "PNG画像 (*.png)|*.png|SVG画像 (*.svg)|*.svg|GeoJSON (*.geojson)|*.geojson|GeoPackage (*.gpkg)|*.gpkg|"
    "GeoTIFF (*.tif)|*.tif||";
inline constexpr std::string_view kMapFileExtensionWrong =
    "ファイルの拡張子は .png .svg .geojson .gpkg .tif のどれかにしてください。";
inline constexpr std::string_view kPictureNotSaved = "画像ファイルを保存できませんでした。";

// The window of a vertical section.
inline constexpr std::string_view kSectionWindowTitle = "鉛直断面";
inline constexpr std::string_view kSectionLevelLabel = "表示するレベル(&L):";
inline constexpr std::string_view kSectionSaveButton = "画像として保存(&S)...";
inline constexpr std::string_view kSectionCloseButton = "閉じる(&C)";
// The status bar's mark of a map whose model has been edited since its results were computed.
inline constexpr std::string_view kStatusMapOutOfDate =
    "騒音マップ: モデル変更後の結果です（再計算してください）";

// Printed pages: the items of the "ファイル(&F)" menu after "名前を付けて保存(&A)...", their prompts,
// the page dialogs' titles, the save dialog and the messages.
inline constexpr std::string_view kMenuPrint = "印刷(&P)...";
inline constexpr std::string_view kPromptPrint = "騒音マップの図面を印刷します (印刷プレビューを表示します)";
inline constexpr std::string_view kMenuExportPdf = "PDF出力(&D)...";
inline constexpr std::string_view kPromptExportPdf =
    "騒音マップの図面を PDF ファイル (または PNG 画像) に出力します";
inline constexpr std::string_view kPrintPageTitle = "印刷";
inline constexpr std::string_view kPdfPageTitle = "PDF出力";
inline constexpr std::string_view kPreviewTitle = "印刷プレビュー";
inline constexpr std::string_view kExportPageDialogTitle =
    "出力する PDF または PNG のファイル名を指定してください";
inline constexpr std::string_view kExportPageFilter = "PDF (*.pdf)|*.pdf|PNG画像 (*.png)|*.png||";
inline constexpr std::string_view kExportPageCaption = "PDF出力";
inline constexpr std::string_view kExportPageExtensionWrong =
    "ファイルの拡張子は .pdf か .png にしてください。";
inline constexpr std::string_view kExportPageNotSaved = "ファイルを保存できませんでした。";
inline constexpr std::string_view kPrintFailed = "印刷できませんでした。";

}  // namespace kelmora
