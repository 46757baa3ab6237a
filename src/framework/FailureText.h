// What a failure caught at the edge of a window, a thread or a call from Windows was, in
// the user's words, for the one message that reports it.
#pragma once

#include <exception>
#include <string>

// Code page 1250, to follow a colon: "nedostatek paměti" for exhausted memory, "příliš
// velká data: …" for a container asked to grow past its limit, the
// exception's own text where it has one (a host error's is in the user's words already),
// a program fault with the library's words in brackets, else "neznámá chyba".
std::string FailureText(const std::exception_ptr& failure);
