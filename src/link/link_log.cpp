#include "link/link_log.h"

namespace kdsp {

void LinkLog::Add(const QString& line) {
  lines_.append(line);
  emit lineAdded(line);
}

void LinkLog::AddError(const char* pattern, const QString& error_text, unsigned error_code) {
  Add(QString::asprintf(pattern, error_text.toUtf8().constData(), error_code));
}

void LinkLog::Clear() {
  lines_.clear();
  emit cleared();
}

}  // namespace kdsp
