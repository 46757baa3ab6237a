// Failures in words: each kind the program can meet at an edge gets one text.
#include "framework/FailureText.h"

#include <new>
#include <stdexcept>

std::string FailureText(const std::exception_ptr& failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
        return "nedostatek paměti";
    } catch (const std::length_error& error) {
        // A container asked to grow past what it can hold: the data, not the program.
        return std::string("příliš velká data: ") + error.what();
    } catch (const std::logic_error& error) {
        return std::string("vnitřní chyba programu (") + error.what() + ")";
    } catch (const std::exception& error) {
        if (*error.what())
            return error.what();
    } catch (...) {
    }
    return "neznámá chyba";
}
