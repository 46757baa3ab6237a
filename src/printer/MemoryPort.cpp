// The memory destination: writes append, nothing can fail.
#include "printer/MemoryPort.h"

namespace {

class MemoryPort : public PrinterPort {
public:
    explicit MemoryPort(std::string& bytes) : bytes_(bytes) {}

    bool Write(const void* bytes, size_t count) override
    {
        bytes_.append(static_cast<const char*>(bytes), count);
        return true;
    }
    bool Close() override { return true; }
    std::string Description() const override { return "paměť (náhled)"; }

private:
    std::string& bytes_;
};

}  // namespace

std::unique_ptr<PrinterPort> OpenMemoryPort(std::string& bytes)
{
    return std::make_unique<MemoryPort>(bytes);
}
