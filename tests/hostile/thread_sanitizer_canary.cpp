// A plain int written by two threads at once: ThreadSanitizer must report it.
#include <thread>

int shared = 0;

int main() {
  std::thread other([] { shared = 1; });
  shared = 2;
  other.join();
  return shared == 0 ? 1 : 0;
}
