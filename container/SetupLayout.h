#pragma once
// Names of the container's content that the packer writes and the setup relies on.
namespace SetupLayout {

constexpr char InstallFolder[] = "install";   // the one top-level directory
constexpr char Payload[] = "Orva.in";         // the product archive, byte-reversed
// zlib's CRC-32 of Payload as stored, a u32 little endian. Setups packed without it skip
// the check; stubs that do not know it unpack it like any other file.
constexpr char PayloadChecksum[] = "Orva.in.crc32";

} // namespace SetupLayout
