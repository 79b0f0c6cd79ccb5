/* A small 8051 program for the KTQ-51 board: a running light on port 1
   with a software delay, and a table in code memory. Built at 0x3000. */
#include <8051.h>

static const unsigned char __code pattern[] = {
    0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80,
    0xC0, 0x60, 0x30, 0x18, 0x0C, 0x06, 0x03, 0xFF,
};

static void delay(unsigned int n)
{
    while (n--) {
        unsigned char i = 200;
        while (i--)
            ;
    }
}

void main(void)
{
    unsigned char k = 0;
    for (;;) {
        P1 = pattern[k];
        k = (k + 1) & 0x0F;
        delay(250);
    }
}
