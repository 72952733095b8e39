#include "files/pkware_keys.h"

#include <zlib.h>

#include <minizip/crypt.h>

void PkwareInitKeys(PkwareKeys* keys, const char* password) {
  const z_crc_t* table = get_crc_table();
  for (int i = 0; i < 256; ++i) keys->crcTable[i] = table[i];
  init_keys(password, keys->keys, keys->crcTable);
}

void PkwareDecrypt(PkwareKeys* keys, unsigned char* bytes, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    int c = bytes[i];
    zdecode(keys->keys, keys->crcTable, c);
    bytes[i] = (unsigned char)c;
  }
}

void PkwareEncrypt(PkwareKeys* keys, unsigned char* bytes, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    int t;
    bytes[i] = (unsigned char)zencode(keys->keys, keys->crcTable, bytes[i], t);
  }
}
