#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

namespace kdsp {

/// The link's in-memory log: write and read errors of the transports and removed USB devices,
/// one line per event. Nothing is written to disk.
class LinkLog : public QObject {
  Q_OBJECT

 public:
  explicit LinkLog(QObject* parent = nullptr) : QObject(parent) {}

  void Add(const QString& line);
  /// A line from a printf-style pattern with a system error text and code ("%s (%x)").
  void AddError(const char* pattern, const QString& error_text, unsigned error_code);
  void Clear();
  const QStringList& Lines() const { return lines_; }

 signals:
  void lineAdded(const QString& line);
  void cleared();

 private:
  QStringList lines_;
};

}  // namespace kdsp
