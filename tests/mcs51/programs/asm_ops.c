// diff: trace=3000 max=50000
/* Instructions a C compiler rarely emits: XCHD, XCH, JBC, CJNE @Ri, DJNZ direct, MOV direct,direct, ORL and
   ANL C with inverted bits, SUBB and ADDC flag cases, register banks through PSW, MOVX @Ri, PUSH/POP. */
#include "diff.h"

volatile unsigned char trail[32];

void Ops(void) __naked {
  __asm
    mov r0, #_trail
    ; XCHD and XCH
    mov 0x40, #0x5A
    mov r1, #0x40
    mov a, #0xC3
    xchd a, @r1
    mov @r0, a
    inc r0
    xch a, 0x40
    mov @r0, a
    inc r0
    ; ADDC with AC and OV, SUBB with borrow
    mov a, #0x7F
    setb c
    addc a, #0x08
    mov @r0, psw
    inc r0
    mov a, #0x80
    clr c
    subb a, #0x01
    mov @r0, psw
    inc r0
    mov a, #0x10
    setb c
    subb a, #0x10
    mov @r0, a
    inc r0
    mov @r0, psw
    inc r0
    ; JBC on a RAM bit
    setb 0x00
    jbc 0x00, 00001$
    mov @r0, #0xEE
00001$:
    mov @r0, 0x20
    inc r0
    ; CJNE @Ri and DJNZ direct
    mov 0x41, #5
    mov r1, #0x41
    mov a, #0
00002$:
    inc a
    cjne @r1, #3, 00003$
    mov @r0, a
    inc r0
00003$:
    djnz 0x41, 00002$
    mov @r0, a
    inc r0
    ; MOV direct,direct and boolean ops with /bit
    mov 0x42, #0x81
    mov 0x43, 0x42
    mov @r0, 0x43
    inc r0
    clr c
    orl c, /0x18
    mov @r0, psw
    inc r0
    anl c, /0x18
    mov @r0, psw
    inc r0
    ; register banks
    mov psw, #0x08
    mov r7, #0x77
    mov psw, #0x18
    mov r7, #0x99
    mov psw, #0x00
    mov @r0, 0x0F
    inc r0
    mov @r0, 0x1F
    inc r0
    ; PUSH/POP and MOVX @Ri with P2 as page
    push 0x42
    push acc
    pop b
    pop 0x44
    mov @r0, 0x44
    inc r0
    mov p2, #0x03
    mov r1, #0x10
    mov a, #0xAB
    movx @r1, a
    clr a
    movx a, @r1
    mov @r0, a
    inc r0
    mov dptr, #0x0310
    movx a, @dptr
    inc a
    movx @dptr, a
    mov @r0, a
    inc r0
    ; MUL with overflow, DA after subtraction-free add
    mov a, #0x40
    mov b, #0x09
    mul ab
    mov @r0, b
    inc r0
    mov @r0, psw
    inc r0
    mov a, #0x56
    add a, #0x67
    da a
    mov @r0, a
    inc r0
    mov @r0, psw
    ret
  __endasm;
}

void main(void) {
  Ops();
  done();
}
