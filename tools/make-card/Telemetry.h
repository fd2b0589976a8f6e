// The camera's telemetry in each of its stored forms.
#pragma once

#include <string>
#include <vector>

#include "Bytes.h"
#include "Card.h"

namespace lum::card {

inline constexpr std::size_t kMovBlockBytes = 176;
inline constexpr std::size_t kMovAccelStride = 20;
inline constexpr std::size_t kIndexBlockBytes = 136;
inline constexpr std::size_t kIndexAccelStride = 12;
inline constexpr std::size_t kBlockLeadBytes = 16;

// The 32-byte records of a "gps0" payload and the 3-byte readings of a "gsen" one.
Bytes GpsPayload(const PlannedFile& f);
Bytes GsensorPayload(const PlannedFile& f);
// "gpsa": records per second in the first byte; "gsea": full scale in the second.
Bytes GpsAttributes(const PlannedFile& f);
Bytes GsensorAttributes(const PlannedFile& f);
// The start as the camera writes it into "IDIT": date text and a terminating zero.
Bytes IditText(const PlannedFile& f);

// Second k's telemetry block preceded by its 16 lead bytes.
Bytes LeadAndBlock(const PlannedFile& f, int second, std::size_t blockBytes,
                   std::size_t accelStride);

// The side ".TXT" file: one line per second.
std::string SideText(const PlannedFile& f);

}  // namespace lum::card
