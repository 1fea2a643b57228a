#pragma once
// What the system says about a serial device node, asked without opening it where possible.

#include <QString>

// A pseudo-terminal (a /dev/pts node, or a link that resolves to one): it keeps 8N1 whatever it is
// told, so refused line settings are no fault there. fd, when open (-1 otherwise), is asked first.
bool isPseudoTerminal(int fd, const QString& path);
