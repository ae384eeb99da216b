#pragma once

#include <QObject>
#include <QTcpSocket>
#include <QTimer>
#include <optional>
#include <string>

#include "kdsp-tool/endpoints.h"
#include "link/core/rx_assembler.h"

namespace kdsp::tool {

/// What a probe found at one address.
struct ProbeResult {
  bool box = false;       ///< the address acknowledged the probe
  std::string device_id;  ///< eight hex digits, empty when the box did not tell
  int mode = -1;          ///< current device mode, 0-based; -1 when not read
  std::string mode_name;  ///< its name as the box reports it
};

/// Looks for a box at one address: connect, the probe frame, and the acknowledgement within
/// the time limit. A box that answers is then asked as the console asks after its handshake:
/// `LinkOpen`, which makes it report its identification code, the current mode and that mode's
/// name; then it is let go with the farewell. Each step has the same time limit.
class BoxProbe : public QObject {
  Q_OBJECT

 public:
  BoxProbe(Endpoint endpoint, int timeout_ms, QObject* parent = nullptr);

  void Start();
  const Endpoint& endpoint() const { return endpoint_; }
  const ProbeResult& Result() const { return result_; }

 signals:
  void finished();

 private:
  enum class Step { kConnect, kProbe, kOpen, kMode, kName, kDone };
  void OnBytes();
  void OnUnit(const RxUnit& unit);
  void Advance();
  void Send(const Bytes& frame);
  void Done();

  Endpoint endpoint_;
  int timeout_ms_;
  QTcpSocket socket_;
  QTimer limit_;
  RxAssembler rx_;
  Step step_ = Step::kConnect;
  bool open_acked_ = false;
  bool id_given_up_ = false;  ///< the identification code did not come in time
  ProbeResult result_;
};

}  // namespace kdsp::tool
