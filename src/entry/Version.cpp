namespace zx {
// Kept in the library so that its version can be read from a core dump.
extern const char kComponentVersion[] = "0.1";
}  // namespace zx
