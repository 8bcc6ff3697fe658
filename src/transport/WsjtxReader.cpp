#include "transport/WsjtxReader.h"

#include <QDataStream>
#include <QIODevice>

#include <cstdint>
#include <type_traits>

namespace {

constexpr quint32 Magic = 0xadbccbdaU;
constexpr quint32 NullText = 0xffffffffU;
// A length above this reads as negative in the signed count Qt's own
// readers use; only 0xffffffff (null) is allowed there.
constexpr quint32 LargestLength = 0x7fffffffU;

constexpr quint32 HeartbeatType = 0;
constexpr quint32 StatusType = 1;
constexpr quint32 DecodeType = 2;
constexpr quint32 ClearType = 3;
constexpr quint32 CloseType = 6;

// Reads fields from a QDataStream on the datagram, checking each against
// the bytes left before it is read, so that a refused datagram never makes
// the stream read past its end or allocate what a length field claims.
class CFieldReader {
  public:
    explicit CFieldReader(const QByteArray& datagram)
        : m_stream(datagram), m_size(datagram.size()) {
        // The protocol's doubles are 64-bit IEEE in every schema.
        m_stream.setFloatingPointPrecision(QDataStream::DoublePrecision);
    }

    void SetVersion(int version) { m_stream.setVersion(version); }
    WsjtxRefusal Refusal() const { return m_refusal; }
    // True when the datagram has ended exactly before the next field.
    bool AtEnd() const { return Left() == 0; }

    template <class T> bool Number(T& value) {
        static_assert(std::is_arithmetic_v<T>);
        if (!Take(sizeof(T))) {
            return false;
        }
        if constexpr (std::is_same_v<T, bool>) {
            qint8 byte = 0;
            m_stream >> byte;
            value = byte != 0;
        } else if constexpr (sizeof(T) == sizeof(qint64) && std::is_integral_v<T>) {
            // std::uint64_t and quint64 are different types of one size.
            std::conditional_t<std::is_signed_v<T>, qint64, quint64> wide = 0;
            m_stream >> wide;
            value = static_cast<T>(wide);
        } else {
            m_stream >> value;
        }
        return Ok();
    }

    bool Text(std::string& text) {
        quint32 length = 0;
        if (!Number(length)) {
            return false;
        }
        text.clear();
        if (length == NullText) {
            return true;
        }
        if (length > LargestLength || static_cast<qint64>(length) > Left()) {
            m_refusal = WsjtxRefusal::BadLength;
            return false;
        }
        text.resize(length);
        return m_stream.readRawData(text.data(), static_cast<int>(length)) ==
                   static_cast<int>(length) &&
               Ok();
    }

    // An optional field: true when it is there and read, true with the
    // value untouched when the datagram ends before it, false when it is
    // cut short.
    template <class T> bool Optional(T& value) {
        if (AtEnd()) {
            return true;
        }
        if constexpr (std::is_same_v<T, std::string>) {
            return Text(value);
        } else {
            return Number(value);
        }
    }

  private:
    qint64 Left() const { return m_size - m_stream.device()->pos(); }

    bool Take(std::size_t bytes) {
        if (Left() < static_cast<qint64>(bytes)) {
            m_refusal = WsjtxRefusal::Truncated;
            return false;
        }
        return true;
    }

    bool Ok() {
        if (m_stream.status() != QDataStream::Ok) {
            m_refusal = WsjtxRefusal::Truncated;
            return false;
        }
        return true;
    }

    QDataStream m_stream;
    qint64 m_size;
    WsjtxRefusal m_refusal = WsjtxRefusal::None;
};

// Rx DF and everything after it came with later clients; JTDX and MSHV
// send their own fields after the DE grid, which are not read.
bool ReadStatus(CFieldReader& in, WsjtxStatus& status) {
    std::string skipped;
    quint32 rxDf = 0;
    quint32 txDf = 0;
    status.DeCall.clear();
    status.DeGrid.clear();
    return in.Number(status.DialFrequencyHz) && in.Text(status.Mode) && in.Text(status.DxCall) &&
           in.Text(skipped) /* report */ && in.Text(skipped) /* Tx mode */ &&
           in.Number(status.TxEnabled) && in.Number(status.Transmitting) &&
           in.Number(status.Decoding) && in.Optional(rxDf) && in.Optional(txDf) &&
           in.Optional(status.DeCall) && in.Optional(status.DeGrid);
}

// Low confidence and off air came with later clients: absent means false.
bool ReadDecode(CFieldReader& in, WsjtxDecode& decode) {
    decode.LowConfidence = false;
    decode.OffAir = false;
    return in.Number(decode.New) && in.Number(decode.TimeMs) && in.Number(decode.Snr) &&
           in.Number(decode.DeltaTime) && in.Number(decode.DeltaFrequencyHz) &&
           in.Text(decode.Mode) && in.Text(decode.Message) && in.Optional(decode.LowConfidence) &&
           in.Optional(decode.OffAir);
}

// The maximum schema is absent before schema 3, and then means 2.
bool ReadHeartbeat(CFieldReader& in, WsjtxHeartbeat& heartbeat) {
    heartbeat.MaxSchema = 2;
    heartbeat.Version.clear();
    heartbeat.Revision.clear();
    return in.Optional(heartbeat.MaxSchema) && in.Optional(heartbeat.Version) &&
           in.Optional(heartbeat.Revision);
}

WsjtxKind KindOf(quint32 type) {
    switch (type) {
    case HeartbeatType:
        return WsjtxKind::Heartbeat;
    case StatusType:
        return WsjtxKind::Status;
    case DecodeType:
        return WsjtxKind::Decode;
    case ClearType:
        return WsjtxKind::Clear;
    case CloseType:
        return WsjtxKind::Close;
    default:
        return WsjtxKind::Ignored;
    }
}

} // namespace

WsjtxRefusal CWsjtxReader::Read(const QByteArray& datagram, WsjtxMessage& message) {
    if (datagram.isEmpty()) {
        return WsjtxRefusal::Empty;
    }
    if (datagram.size() > MaxDatagram) {
        return WsjtxRefusal::TooLong;
    }
    CFieldReader in(datagram);
    quint32 magic = 0;
    if (!in.Number(magic) || magic != Magic) {
        return WsjtxRefusal::NotProtocol;
    }
    if (!in.Number(message.Schema) || !in.Number(message.Type)) {
        return in.Refusal();
    }
    // The protocol names a stream version for schemas 2 and 3 only; schema
    // 1 used a Qt 5.0 form it calls broken. A client stays on the schema it
    // starts with until a server answers its heartbeat, which this listener
    // never does, and that is 2 or 3.
    if (message.Schema == 2) {
        in.SetVersion(QDataStream::Qt_5_2);
    } else if (message.Schema == 3) {
        in.SetVersion(QDataStream::Qt_5_4);
    } else {
        return WsjtxRefusal::Schema;
    }
    message.Kind = KindOf(message.Type);
    if (message.Kind == WsjtxKind::Ignored) {
        return WsjtxRefusal::None;
    }
    if (!in.Text(message.Id)) {
        return in.Refusal();
    }
    bool read = true;
    switch (message.Kind) {
    case WsjtxKind::Heartbeat:
        read = ReadHeartbeat(in, message.Heartbeat);
        break;
    case WsjtxKind::Status:
        read = ReadStatus(in, message.Status);
        break;
    case WsjtxKind::Decode:
        read = ReadDecode(in, message.Decode);
        break;
    default:
        // Clear's window number is only sent to a client; Close has no more.
        break;
    }
    return read ? WsjtxRefusal::None : in.Refusal();
}
