namespace kelmora {
// Keeps the layer library non-empty while its first sources are written.
void KeepLayerNonEmpty_src_propagation() {}
}  // namespace kelmora
