// Anchor so that the layer library is never empty.
namespace { [[maybe_unused]] int layerAnchor = 0; }
