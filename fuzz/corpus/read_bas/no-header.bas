12'Points from the 3D Object
13 data 0.0,0.0,0.0
