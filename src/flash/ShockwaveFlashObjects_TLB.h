// The identity of the Shockwave Flash ActiveX control: its class, its default (dual) interface,
// its event interface and the dispatch ids the panel uses. Portable: the ids are plain numbers.
#ifndef VELUMAR_FLASH_SHOCKWAVEFLASHOBJECTS_TLB_H
#define VELUMAR_FLASH_SHOCKWAVEFLASHOBJECTS_TLB_H

#include <cstdint>

namespace velumar::flash {

// {D27CDB6E-AE6D-11CF-96B8-444553540000}, {D27CDB6C-...}, {D27CDB6D-...}: the three ids differ
// only in their first field.
inline constexpr std::uint32_t kFlashClassData1 = 0xD27CDB6E;
inline constexpr std::uint32_t kIShockwaveFlashData1 = 0xD27CDB6C;
inline constexpr std::uint32_t kFlashEventsData1 = 0xD27CDB6D;
inline constexpr std::uint16_t kFlashIdData2 = 0xAE6D;
inline constexpr std::uint16_t kFlashIdData3 = 0x11CF;
inline constexpr std::uint8_t kFlashIdData4[8] = {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00};
inline constexpr char kFlashClassIdText[] = "{D27CDB6E-AE6D-11CF-96B8-444553540000}";

// Dispatch ids of the properties the panel sets and of the events.
inline constexpr std::int32_t kDispIdMovie = 102;
inline constexpr std::int32_t kDispIdScaleMode = 120;
inline constexpr std::int32_t kDispIdWMode = 133;
inline constexpr std::int32_t kDispIdMenu = 135;
inline constexpr std::int32_t kDispIdOnFSCommand = 150;
inline constexpr std::int32_t kDispIdOnProgress = 1958;
inline constexpr std::int32_t kDispIdOnReadyStateChange = -609;

// Methods of IShockwaveFlash, called by name through its dispatch interface.
inline constexpr wchar_t kMethodPlay[] = L"Play";
inline constexpr wchar_t kMethodStopPlay[] = L"StopPlay";
inline constexpr wchar_t kMethodSetVariable[] = L"SetVariable";
inline constexpr wchar_t kMethodFlashVersion[] = L"FlashVersion";

// Object verbs of startMovie.
inline constexpr long kVerbShow = -1;
inline constexpr long kVerbHide = -3;

}  // namespace velumar::flash

#endif
