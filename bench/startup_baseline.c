/* The least a program can do to behave as combo does on empty input: write
 * the menu and the starter prompt, find the input empty, write one line
 * break and end with status 1. The benchmark times combo's start-up against
 * this plain C program, which links nothing but the C library. */

#include <stdio.h>

/* "1,空中浮き 2,空中きりもみ 3,空中ふっとばし 4,空中バウンド\n"
 * "5,地上浮き 6,地上きりもみ 7,地上ふっとばし 8,地上バウンド\n"
 * "始動技を選んでください：" in Shift_JIS. */
static const char kFirstScreen[] =
    "1,\x8b\xf3\x92\x86\x95\x82\x82\xab 2,\x8b\xf3\x92\x86\x82\xab\x82\xe8"
    "\x82\xe0\x82\xdd 3,\x8b\xf3\x92\x86\x82\xd3\x82\xc1\x82\xc6\x82\xce\x82"
    "\xb5 4,\x8b\xf3\x92\x86\x83\x6f\x83\x45\x83\x93\x83\x68\n"
    "5,\x92\x6e\x8f\xe3\x95\x82\x82\xab 6,\x92\x6e\x8f\xe3\x82\xab\x82\xe8"
    "\x82\xe0\x82\xdd 7,\x92\x6e\x8f\xe3\x82\xd3\x82\xc1\x82\xc6\x82\xce\x82"
    "\xb5 8,\x92\x6e\x8f\xe3\x83\x6f\x83\x45\x83\x93\x83\x68\n"
    "\x8e\x6e\x93\xae\x8b\x5a\x82\xf0\x91\x49\x82\xf1\x82\xc5\x82\xad\x82\xbe"
    "\x82\xb3\x82\xa2\x81\x46";

int main(void) {
  int starter;
  fwrite(kFirstScreen, 1, sizeof kFirstScreen - 1, stdout);
  fflush(stdout);
  if (scanf("%d", &starter) != 1) {
    putchar('\n');
    return 1;
  }
  return 0;
}
