/* CallProbe.dll: entries of every parameter and result type for the tests of CALLDLL. */
#include <stdint.h>
#include <string.h>

#define EXPORT __declspec(dllexport)

EXPORT int16_t Neg16(int16_t v) { return (int16_t)-v; }
/* Returns its argument whole: a 16- or 32-bit result type must cut it. */
EXPORT int64_t Echo64(int64_t v) { return v; }
EXPORT int32_t Add32(int32_t a, int32_t b) { return a + b; }
EXPORT uint32_t Not32(uint32_t v) { return ~v; }
EXPORT int32_t IsSet(int32_t flag) { return flag != 0 ? 7 : 0; }
EXPORT int64_t Mul64(int64_t a, int64_t b) { return a * b; }

/* Doubles at positions 1, 4 and 6 among integers; the result through a pointer. */
static double scaled;
EXPORT double* Scale(double a, int32_t b, int32_t c, double d, int32_t e, double f) {
  scaled = a * b + c + d * e + f;
  return &scaled;
}
EXPORT double* NoNumber(void) { return 0; }

static char greeting[64];
EXPORT const char* Greet(const char* name) {
  strcpy(greeting, "Hola, ");
  strncat(greeting, name != 0 ? name : "(nada)", sizeof greeting - 8);
  return greeting;
}
EXPORT const char* NoText(void) { return 0; }
EXPORT int32_t TextLength(const char* text) { return text != 0 ? (int32_t)strlen(text) : -1; }

/* Weighted, so that a parameter in the wrong slot shows. */
EXPORT int64_t Sum17(int64_t a1, int64_t a2, int64_t a3, int64_t a4, int64_t a5, int64_t a6,
                     int64_t a7, int64_t a8, int64_t a9, int64_t a10, int64_t a11, int64_t a12,
                     int64_t a13, int64_t a14, int64_t a15, int64_t a16, int64_t a17) {
  return a1 * 1 + a2 * 2 + a3 * 3 + a4 * 4 + a5 * 5 + a6 * 6 + a7 * 7 + a8 * 8 + a9 * 9 +
         a10 * 10 + a11 * 11 + a12 * 12 + a13 * 13 + a14 * 14 + a15 * 15 + a16 * 16 + a17 * 17;
}

/* Cells written by the callee: what the caller passed comes back changed. */
EXPORT int32_t SetCells(int32_t* s, uint32_t* u, int64_t* w) {
  int32_t before = *s;
  *s = *s - 10;
  *u = 0xFFFFFFF0u;
  *w = *w * 4096;
  return before;
}

/* Fills a caller's buffer past its text, as an API that writes a path does. */
EXPORT int32_t FillText(char* buffer) {
  int32_t before = (int32_t)strlen(buffer);
  memset(buffer, 'z', 300);
  buffer[300] = 0;
  memcpy(buffer, "abc", 3);
  return before;
}

/* Exported only by ordinal. */
int32_t Seven(void) { return 7; }
