// Tests of embedded_image.
