namespace lum {}
