#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// The output baud rate of the terminal behind fd, as termios2 reports it (so rates without a B
// constant show too); on a pty master that is the rate the program set on the slave. 0 when it
// cannot be read. Kept in a C file of its own: <asm/termbits.h> clashes with <termios.h>.
int tarvex_sim_line_baud(int fd);

#ifdef __cplusplus
}
#endif
