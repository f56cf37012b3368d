// Tests of family10_fallback.
