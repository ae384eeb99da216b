#pragma once

#include <QString>

#include "measure/trace_text.h"
#include "model/bi_text.h"

namespace kdsp::measure_texts {

constexpr BiText kTitle = {"测量", "Measurement"};
constexpr BiText kModeAnalyser = {"实时分析", "Real-time analyser"};
constexpr BiText kModePink = {"房间响应（粉红噪声）", "Room response (pink noise)"};
constexpr BiText kModeSweep = {"房间响应（扫频）", "Room response (sweep)"};
constexpr BiText kResolution = {"分辨率", "Resolution"};
constexpr BiText kOctave = {"1/%1 倍频程", "1/%1 octave"};
constexpr BiText kAveraging = {"平均", "Averaging"};
constexpr BiText kOff = {"关", "Off"};
constexpr BiText kSeconds = {"%1 秒", "%1 s"};
constexpr BiText kInfinite = {"无限", "Infinite"};
constexpr BiText kReset = {"重置", "Reset"};
constexpr BiText kCount = {"%1 次平均，%2 秒", "%1 averages, %2 s"};
constexpr BiText kLoadCalibration = {"校准文件…", "Calibration file…"};
constexpr BiText kNoCalibration = {"无校准", "No calibration"};
constexpr BiText kCalibration = {"校准：%1", "Calibration: %1"};
constexpr BiText kInput = {"输入", "Input"};
constexpr BiText kOutput = {"输出", "Output"};
constexpr BiText kKeep = {"保存为曲线", "Keep trace"};
constexpr BiText kTraceName = {"曲线 %1", "Trace %1"};
constexpr BiText kDelete = {"删除", "Delete"};
constexpr BiText kSave = {"另存…", "Save…"};
constexpr BiText kLoad = {"读取…", "Load…"};
constexpr BiText kAbsolute = {"绝对值", "Absolute"};
constexpr BiText kRelativeTo = {"相对于 %1", "Relative to %1"};
constexpr BiText kMeasure = {"开始测量", "Measure"};
constexpr BiText kCancel = {"取消", "Cancel"};
constexpr BiText kPosition = {"加入位置", "Add position"};
constexpr BiText kPositions = {"%1 个位置", "%1 positions"};
constexpr BiText kDuration = {"时长", "Duration"};
constexpr BiText kLevel = {"电平", "Level"};
constexpr BiText kTools = {"工具", "Tools"};
constexpr BiText kTooMany = {"最多保存 8 条曲线。", "At most 8 traces can be kept."};
constexpr BiText kBadFile = {"无法读取 %1：%2", "Cannot read %1: %2"};
constexpr BiText kNoInput = {"没检测到音频输入设备。", "No audio input device was found."};
constexpr BiText kNoOutput = {"无法在输出设备上播放。", "The output device cannot play."};
constexpr BiText kNothingToKeep = {"还没有测量结果。", "There is no measurement to keep yet."};
constexpr BiText kUnreadable = {"文件无法打开或过大", "the file cannot be opened or is too large"};
constexpr BiText kWriteFailed = {"无法写入 %1。", "Cannot write %1."};

inline QString Text(const BiText& t, int lang) {
  const std::string_view s = t.In(lang);
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace kdsp::measure_texts

namespace kdsp::measure_texts {

/// The reason a trace or calibration file was refused, naming the line.
inline QString ParseErrorText(TraceError kind, int line, const std::string& english, int lang) {
  if (lang != 1) return QString::fromStdString(english);
  const char* zh = "";
  switch (kind) {
    case TraceError::kEmpty:
      zh = "第 %1 行：没有测量数据";
      break;
    case TraceError::kBinary:
      zh = "第 %1 行：不是文本文件";
      break;
    case TraceError::kEncoding:
      zh = "第 %1 行：UTF-16 或带字节顺序标记的文本，请存为普通文本";
      break;
    case TraceError::kNotNumeric:
      zh = "第 %1 行：应为“频率 dB [相位]”";
      break;
    case TraceError::kBadFrequency:
      zh = "第 %1 行：频率必须大于 0 Hz";
      break;
    case TraceError::kNotIncreasing:
      zh = "第 %1 行：频率不高于上一行";
      break;
    case TraceError::kNone:
      break;
  }
  return QString::fromUtf8(zh).arg(line);
}

}  // namespace kdsp::measure_texts
