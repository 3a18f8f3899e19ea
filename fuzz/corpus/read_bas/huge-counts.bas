10'Number of Faces and Number of Points
11 data 2000000000,2000000000
12'Points from the 3D Object
