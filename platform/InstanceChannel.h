#pragma once
// How starts of one program find the instance that runs for the user: the
// first start that claims the channel listens; later starts forward what
// they would have run to it and end.
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

class InstanceChannel {
public:
    // What one start hands to the running instance.
    struct Message {
        enum class Kind : char { line = 'L', execute = 'X' };
        Kind kind = Kind::line;
        std::string directory;  // the sender's current directory (absolute)
        std::string text;
    };

    enum class Delivery {
        taken,      // the running instance took the message
        noPrimary,  // nobody listens: the sender runs on its own
        refused,    // the running instance rejected the message
        failed,     // it listens but did not answer
    };

    virtual ~InstanceChannel() = default;

    // Becomes the running instance: true when this process now listens.
    virtual bool claim() = 0;
    // Sends a message to the running instance and waits for its answer.
    virtual Delivery forward(const Message& message) = 0;
    // The listening side: waits at most `waitMilliseconds` (-1: no limit)
    // for input on the channel or on `alsoWatch` (a descriptor, -1 for none)
    // and returns the messages that arrived whole. `watchReady` tells whether
    // `alsoWatch` became readable.
    virtual std::vector<Message> service(int alsoWatch, int waitMilliseconds, bool& watchReady) = 0;
};

}  // namespace kestrel
