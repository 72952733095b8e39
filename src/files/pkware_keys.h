/* Traditional PKWARE encryption keys, driven through minizip's crypt.h. */
#ifndef QELT_FILES_PKWARE_KEYS_H
#define QELT_FILES_PKWARE_KEYS_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* crypt.h indexes its table as unsigned long, which zlib's own table is not
   on 64-bit Linux, so each key set carries a widened copy. */
typedef struct PkwareKeys {
  unsigned long keys[3];
  unsigned long crcTable[256];
} PkwareKeys;

void PkwareInitKeys(PkwareKeys* keys, const char* password);
void PkwareDecrypt(PkwareKeys* keys, unsigned char* bytes, size_t size);
void PkwareEncrypt(PkwareKeys* keys, unsigned char* bytes, size_t size);

#ifdef __cplusplus
}
#endif

#endif
