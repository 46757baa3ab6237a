// The name of the mutex a running Quillet holds for its whole life: a second start ends
// when it finds it, and the setup program waits for it to go. The setup's build reads the
// name from this line.
#pragma once

// No namespace prefix: the session's own namespace.
inline constexpr char kInstanceMutexName[] = "{3AE35104-FD49-45ee-ABF7-4CBC0AA17A62}";
