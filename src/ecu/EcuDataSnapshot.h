#pragma once

#include <array>
#include <cstdint>

// The ECU's own records as read before programming, one field per record, in the order the
// records are listed and with the widths they are stored with. Identification options are
// named `ident` + option, local identifiers `local` + identifier (+ sub-identifier).
template <std::size_t N>
using ByteField = std::array<uint8_t, N>;

struct EcuDataSnapshot {
    ByteField<10> ident40, ident41, ident42, ident43, ident44, ident45, ident46, ident47, ident48, ident49, ident4A,
        ident4B;
    ByteField<17> ident4C;
    ByteField<18> ident4D;
    ByteField<4> ident4E;
    ByteField<31> ident4F;
    ByteField<30> ident88;
    ByteField<8> ident8A;
    ByteField<17> ident90;  // VIN
    ByteField<13> ident91;
    ByteField<4> ident92;  // hardware serial
    ByteField<4> ident94;
    ByteField<6> ident99;
    ByteField<5> local12;
    ByteField<3> local14;
    ByteField<5> local15;
    ByteField<14> local17;
    ByteField<100 * 16> local1A;  // 100 blocks of 16
    ByteField<12> local1C;
    ByteField<8> local1D;
    ByteField<5> local1E00;
    ByteField<5> local1E01;
    ByteField<6> local1F02;
    ByteField<8> local20;
    ByteField<8> localC1;
    ByteField<3> local23;
    ByteField<1024> local24;  // 10 blocks of 64
    ByteField<5> local25;
    ByteField<6> local26;
    ByteField<6> local2C;
    ByteField<10> local2E;
    ByteField<5> local32;
    ByteField<10> local33;
    ByteField<2> local36;
    ByteField<9> local38;
    ByteField<4096> local39;  // blocks 0-63 and 128-255 of 16, indexed by block number
    ByteField<16> local3A;
    ByteField<10 * 16> local65;
    ByteField<10 * 16> local69;  // the programming history
    ByteField<11> local6A;
    ByteField<2> local6D;
    ByteField<4> local70, local71, local72, local73, local74, local75, local76, local77, local78;
    ByteField<16> local79;
    ByteField<40> local7C;
    ByteField<10 * 16> local84;
    ByteField<10 * 16> local85;
    ByteField<9> local86;
    ByteField<5> local89;
    ByteField<9> localAD;
    ByteField<6> localAE;
    ByteField<9> localAF;
    ByteField<20> localB800, localB801, localB802, localB810, localB820;
    ByteField<16> localB100;
    ByteField<3> localB101;
    ByteField<11> localBA;
    ByteField<4> localBD00;
    ByteField<12> localBE;
};

// Every record but the programming history has a saved mark.
inline constexpr int kSavedMarkCount = 78;
