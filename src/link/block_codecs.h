#pragma once

#include <cstdint>
#include <span>

#include "model/station_image.h"

namespace pelmo {

// Payload sizes of the four configuration blocks.
inline constexpr std::size_t kCmosAnswerPayload = 38;
inline constexpr std::size_t kCmosWritePayload = 36;
inline constexpr std::size_t kMeterPayload = 86;
inline constexpr std::size_t kStationPayload = 92;
inline constexpr std::size_t kChannelFixedPayload = 96;  // answer layout up to the table

// Decoders take a whole answer (06h, header, payload, trailer) as received; a field that
// lies past its end decodes as 0 or an empty text.
void decodeCmos(std::span<const std::uint8_t> answer, CmosIdentity& raw, CMOS_rec& cmos);
void decodeMeter(std::span<const std::uint8_t> answer, definice_meridla_rec& meter);
// Fails when the answer claims more table points than a channel can hold; the fields
// before the point count keep their new values then. Frequency inputs take their divider
// from the CMOS prescalers.
[[nodiscard]] bool decodeChannel(std::span<const std::uint8_t> answer, const CMOS_rec& cmos,
                                 definice_PV_rec& settings, definice_PV_udaj_rec& data);
void decodeStation(std::span<const std::uint8_t> answer, stanice_rec& station);

// Encoders fill the payload behind the request header. They fail (false) when a value has
// no representation in the block: a real beyond single precision, a table larger than the
// station's or a table input that does not fit its 16-bit field.
[[nodiscard]] bool encodeCmos(const CmosIdentity& fileIdentity, const CMOS_rec& cmos,
                              std::span<std::uint8_t> payload);
[[nodiscard]] bool encodeMeter(const definice_meridla_rec& meter, std::span<std::uint8_t> payload);
[[nodiscard]] bool encodeChannel(int channel, const definice_PV_rec& settings,
                                 const definice_PV_udaj_rec& data, std::span<std::uint8_t> payload);
[[nodiscard]] bool encodeStation(const stanice_rec& station, std::uint32_t timeCode,
                                 std::span<std::uint8_t> payload);

// WRITE_CHANNEL payload length for a channel: 103 + 4 * table_points.
std::size_t channelPayloadLength(const definice_PV_rec& settings);

}  // namespace pelmo
