#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/core/frame.h"
#include "link/core/link_host.h"
#include "link/core/link_state.h"
#include "link/core/link_transport.h"
#include "link/core/receive_dispatcher.h"
#include "link/core/reply.h"
#include "link/core/request_match.h"
#include "link/core/rx_assembler.h"
#include "link/core/send_queue.h"
#include "model/value_table.h"

namespace kdsp {

/// Timer intervals of the link as the box protocol paces them.
inline constexpr int kSearchIntervalMs = 1000;
inline constexpr int kTransferIntervalMs = 50;
inline constexpr int kTransferIntervalTcpMs = 160;
inline constexpr int kHoldIntervalMs = 20;

/// How long each timer's tick really lasts, in milliseconds. The link counts its time-outs in
/// ticks at the box's pace; only the age of a partly received frame is measured in real time,
/// since it depends on how fast the bytes travel, not on the link's pace.
struct TickLengths {
  int search_ms = kSearchIntervalMs;
  int transfer_ms = kTransferIntervalMs;
  int transfer_tcp_ms = kTransferIntervalTcpMs;
  int hold_ms = kHoldIntervalMs;
};

/// The device link without a clock: the search and handshake, page transfers, going online and
/// offline, and the online exchange. Three timers drive it through `SearchTick`,
/// `TransferTick` and `HoldTick`; the timer state is queried here and changes are announced to
/// the timer listener. It reaches the box through `LinkTransport` and the window through
/// `LinkHost`. Everything runs on one thread.
class LinkMachine {
 public:
  LinkMachine(ValueTable& device_values, LinkTransport& transport, LinkHost& host);

  // --- Search and handshake (link_search.cpp) ---
  /// The link button: starts a search, or goes offline when online or pressed as `UnLinkBtn`.
  void LinkBtnClick(LinkButton sender);
  /// The USB list was rebuilt; `box_found` when the box is among the devices (`HidPresent`).
  void OnUsbListRebuilt(bool box_found);
  void SearchTick();
  void SendControl(ControlMessage message);
  /// The next search starts on the network instead of USB and the serial ports: the user has
  /// said where the box is. Only that one search; later ones keep the usual order.
  void SetNextSearchFromNetwork(bool on) { next_search_network_ = on; }
  /// The network connection of the search is up. Unless the link is paced, the probe goes out
  /// now rather than at the next search tick.
  void OnTcpConnected();

  // --- Pacing ---
  /// Keeps the paced rhythm (one request per tick, the handshake by search ticks) for every
  /// connection, for boxes that cannot take requests as fast as they answer them. Otherwise
  /// each connection starts answer-driven: the next request leaves as soon as the box has
  /// answered the last, and the connection falls back to the paced rhythm after any request
  /// had to be repeated. Takes effect from the next search.
  void SetPacedAlways(bool on) { paced_always_ = on; }
  bool PacedAlways() const { return paced_always_; }
  /// Whether the current connection runs at the paced rhythm.
  bool Paced() const { return paced_; }

  // --- Transfers and link transitions (link_transfer.cpp) ---
  void EnterLinkState(LinkEntry entry);
  void TransferTick();

  // --- Online exchange (link_online.cpp) ---
  /// The link half of `WriteParam`: sends the write now or queues it.
  void SendParam(ParamAddr device_addr, int value);
  /// `WriteParam`, then nothing more goes out until the box answers again.
  void SendParamAndHold(ParamAddr view_addr, int value);
  void HoldTick();
  /// Until the queue has run empty, each acknowledgement sends the next waiting write at once
  /// instead of at the next hold tick, together with the waiting writes to the slots that follow
  /// it on the same parameter page as one block write; still never more than one frame ahead of
  /// the box.
  void ExpediteQueue() { expedite_ = true; }
  bool Expediting() const { return expedite_; }
  /// Mode saves and recalls act only while online; otherwise nothing is sent and the host is
  /// told why (offline, or busy with a transfer, a search or another save or recall). A save
  /// goes out once the box has answered what went before it, and is confirmed only by the
  /// box's acknowledgement of it.
  void StoreDeviceMode(int index, std::string_view name);
  void StoreHintMode(int index, std::string_view name);
  void LoadDeviceMode(int index);
  void LoadHintMode(int index);
  void SendUserPassword(std::string_view text);
  void SendBluetoothName(std::string_view text);
  /// The window is closing: let the box go whenever a connection is open.
  void FarewellOnClose();
  /// The box has answered this search and the link has not gone offline since: handshake,
  /// transfers, online and busy.
  bool ConnectionOpen() const;
  /// The program is ending: every timer stops, whatever the link was doing (a search, a
  /// transfer), so that nothing more is sent and nothing brings the window back.
  void Halt();

  // --- Incoming bytes (link_machine.cpp) ---
  void OnSerialBytes(std::span<const std::uint8_t> bytes);
  void OnTcpBytes(std::span<const std::uint8_t> bytes);
  /// The data of one input report of the box.
  void OnUsbReport(std::span<const std::uint8_t> report);
  /// Transport `kind` went away under the link (a serial adapter pulled out): when it is the
  /// current one and the link is online, busy or transferring, the link is lost.
  void OnTransportLost(LinkKind kind);

  // --- Timers ---
  bool SearchTimerOn() const { return search_on_; }
  bool TransferTimerOn() const { return transfer_on_; }
  bool HoldTimerOn() const { return hold_on_; }
  int TransferIntervalMs() const { return transfer_interval_ms_; }
  /// The real lengths of the ticks, when the timers run at another pace than the box's.
  void SetTickLengths(const TickLengths& lengths) { tick_lengths_ = lengths; }
  /// Called after every change of a timer's state or interval.
  void SetTimerListener(std::function<void()> listener) { timer_listener_ = std::move(listener); }

  // --- State ---
  const LinkState& state() const { return st_; }
  LinkKind kind() const { return st_.kind; }
  const SendQueue& queue() const { return queue_; }
  ReceiveDispatcher& dispatcher() { return dispatcher_; }
  const ReceiveDispatcher& dispatcher() const { return dispatcher_; }
  const RxAssembler& serial_assembler() const { return com_rx_; }
  /// The serial port names of the current search and the selected one (-1: none).
  const std::vector<std::string>& port_names() const { return ports_; }
  int selected_port() const { return port_selected_; }
  /// 100 * XferPos / XferEnd, rounded, within 0..100.
  int ProgressPercent() const;

 private:
  // link_search.cpp
  void StartSearch();
  void GoOffline();
  void SearchUsb();
  void SearchCom();
  void SearchTcp();
  void SetLinkedLook(bool linked);

  // link_transfer.cpp
  void StartTransfer(LinkEntry entry);
  void AdvanceTransfer();
  void SendTransferStep(int pos, int chunk, int dir);
  void SendRequest(Bytes frame);
  /// One unit from the box while a transfer runs: the answer to the request in flight moves
  /// the transfer on, anything else is taken as unasked and stores nothing being transferred.
  void TransferUnit(LinkKind kind, const RxUnit& unit);
  /// Answer-driven: the transfer moves on as soon as its request has been answered.
  void AdvanceOnAnswer();
  /// Answer-driven handshake on the network: each acknowledgement of the search is followed
  /// at once by the next step.
  void HandshakeOnAck();
  /// Acknowledgements hidden behind a stray header while the link waits for one.
  void TakeHiddenAcks(LinkKind kind, RxAssembler& rx);
  void GoOnline();
  void LostLink(const BilingualText& message = kMsgLinkLost);
  void LinkFailed();

  // link_online.cpp
  void SendNow(ParamAddr addr, std::uint16_t value);
  /// The expedited send after an acknowledgement (see `ExpediteQueue`).
  void SendExpedited();
  void SetRecallFollowUp(ParamAddr addr);
  void ModeSaved(ModeList list);
  /// True when a save or recall may go ahead; otherwise tells the host why not.
  bool ModeRequestAllowed(bool save);
  void StoreMode(ModeList list, int index, std::string_view name);
  /// Sends a save that waits for the box to answer what went before it.
  void SendWaitingSave();

  // link_machine.cpp
  void Send(const Bytes& frame);
  void SetTimers(bool search, bool transfer, bool hold);
  void SetTransferInterval(int ms);
  void ReceiveUnits(LinkKind kind, std::vector<RxUnit> units);
  void DrainUnits();
  /// A timer tick that lasted `elapsed_ms`: a partial unit left waiting for longer than one
  /// transfer interval is dropped.
  void AgeStreams(int elapsed_ms);

  ValueTable& device_values_;
  LinkTransport& transport_;
  LinkHost& host_;
  LinkState st_;
  ReceiveDispatcher dispatcher_;
  SendQueue queue_;
  RxAssembler com_rx_;
  RxAssembler tcp_rx_;

  // Serial ports listed for the current search (`ComComboBox1`) and the selected entry.
  std::vector<std::string> ports_;
  int port_selected_ = -1;

  // Transfer: the payload staged for the next name request and the last request sent, which
  // a time-out repeats as it was.
  std::array<std::uint8_t, 2> staged_payload_{0, 0};
  std::array<std::uint8_t, 2> sent_payload_{0, 0};
  int sent_chunk_ = 0;
  Bytes last_request_;
  RequestInFlight in_flight_;
  // How long the request has waited (`kXferSent`, `kXferSecondWait` or `kXferLastWait`); kept
  // apart from `XferState`, which an acknowledgement or a status report overwrites.
  int request_wait_ = kXferSent;
  void SetRequestWait(int stage);

  bool next_search_network_ = false;
  // The search connected to the network when it started; its first network tick only probes.
  bool tcp_connected_early_ = false;
  bool paced_always_ = false;
  bool paced_ = false;
  bool search_on_ = false;
  bool transfer_on_ = false;
  bool hold_on_ = false;
  int transfer_interval_ms_ = kTransferIntervalMs;
  TickLengths tick_lengths_;
  std::function<void()> timer_listener_;

  // Units waiting for the dispatcher; a message box opened while one is handled may let more
  // bytes in, which then queue behind it.
  struct PendingUnit {
    LinkKind kind;
    RxUnit unit;
  };
  std::deque<PendingUnit> units_;
  bool dispatching_ = false;
  bool expedite_ = false;
  // A mode save not yet sent: it waits until the box has answered the exchange before it.
  std::optional<Bytes> save_frame_;
};

}  // namespace kdsp
