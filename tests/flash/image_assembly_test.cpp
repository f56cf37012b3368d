// Tests of image_assembly.
