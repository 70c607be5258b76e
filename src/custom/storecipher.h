#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <cstdint>

namespace tandor28 {

// Eight substitution boxes of a DES-style block cipher, in order of use; each box is 4 rows of 16
// entries, row-major.
using SBoxTable = std::array<std::array<std::uint8_t, 64>, 8>;

// The boxes S1..S8 of the Data Encryption Standard.
[[nodiscard]] const SBoxTable& standardSBoxes();
// The data file's boxes: S1 with row 0 column 4 changed from 2 to 1, used as boxes 1 and 7, S2..S6
// as boxes 2..6 and S7 as box 8.
[[nodiscard]] const SBoxTable& storeSBoxes();

using DesKey = std::array<std::uint8_t, 8>;

// One 64-bit block through the 16 DES rounds with the given boxes (the most significant byte of the
// integer is the first byte of the block).
[[nodiscard]] std::uint64_t desEncryptBlock(std::uint64_t block, const DesKey& key, const SBoxTable& boxes);
[[nodiscard]] std::uint64_t desDecryptBlock(std::uint64_t block, const DesKey& key, const SBoxTable& boxes);

// A key schedule made once for many blocks.
class DesCipher
{
public:
    DesCipher(const DesKey& key, const SBoxTable& boxes);
    [[nodiscard]] std::uint64_t encrypt(std::uint64_t block) const;
    [[nodiscard]] std::uint64_t decrypt(std::uint64_t block) const;

private:
    std::array<std::uint64_t, 16> m_subkeys;
    const SBoxTable& m_boxes;
};

// The eight key bytes derived from a key text: start from 1, 2, 4, ..., 128 and for character c
// (1-based) XOR byte c mod 8 with the complement of 2c + 1 and with the character's code.
[[nodiscard]] DesKey deriveStoreKey(QByteArrayView keyText);

// ECB over whole blocks with the data file's boxes; encipherment fills the last block with zeros.
[[nodiscard]] QByteArray encipherEcb(QByteArrayView plaintext, const DesKey& key, const SBoxTable& boxes);
// `ciphertext` must hold whole blocks; a trailing partial block is ignored.
[[nodiscard]] QByteArray decipherEcb(QByteArrayView ciphertext, const DesKey& key, const SBoxTable& boxes);

} // namespace tandor28
