#pragma once

#include <string>
#include <string_view>

#include "model/bi_text.h"
#include "presets/codec/preset_codec.h"

namespace kdsp {

/// Texts of the preset file lists and their questions and messages.
inline constexpr BiText kPresetNotFoundText{"文件不存在", "File not find!"};
inline constexpr BiText kPresetFormatErrorText{"文件格式错误!", "File format error!"};
inline constexpr BiText kPresetCorruptedText{"数据文件损坏!", "Data file is corrupted!"};
inline constexpr BiText kPresetBadNameText{"文件名无效!", "Invalid file name!"};
inline constexpr BiText kOverwriteQuestionText{"文件已存在,覆盖它吗?",
                                               "File already exists, overwrite it right?"};
inline constexpr BiText kOverwriteCaptionText{"*系统提示*", "*Confirm*"};
inline constexpr BiText kLoadFileButtonText{"上传数据到设备", "Load File data"};
inline constexpr BiText kSaveFileButtonText{"保存数据到电脑", "Save Data to PC"};
inline constexpr BiText kFileNameLabelText{"模式名称", "Mode Name:"};
inline constexpr std::string_view kListNumberTitle = "NO.";
inline constexpr std::string_view kListNameTitle = "File Name";
/// Caption of the load questions and of the delete confirmation.
inline constexpr std::string_view kQuestionCaption = "Confirm";

/// The message a load or save outcome shows; empty for kOk and for outcomes the window keeps
/// silent about (kDeleteFailed). kWriteFailed gets the platform's own wording instead.
inline std::string_view PresetStatusText(PresetStatus status, int ui_language) {
  switch (status) {
    case PresetStatus::kNotFound:
      return kPresetNotFoundText.In(ui_language);
    case PresetStatus::kFormatError:
      return kPresetFormatErrorText.In(ui_language);
    case PresetStatus::kCorrupted:
      return kPresetCorruptedText.In(ui_language);
    case PresetStatus::kBadName:
      return kPresetBadNameText.In(ui_language);
    default:
      return {};
  }
}

/// The Yes/No question before a load: "加载模式：abc ?" / "Load File Data：abc ?" (full-width
/// colon in both).
inline std::string LoadQuestion(std::string_view name, int ui_language) {
  return std::string(ui_language == 1 ? "加载模式：" : "Load File Data：") + std::string(name) +
         " ?";
}

/// The OK/Cancel question before a delete, naming the full path of the file.
inline std::string DeleteQuestion(std::string_view path, int ui_language) {
  return std::string(ui_language == 1 ? "删除文件 " : "Delete file ") + std::string(path) + " ?";
}

}  // namespace kdsp
