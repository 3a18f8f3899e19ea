10'Number of Faces and Number of Points
11 data 0,2
12'Points from the 3D Object
13 data 0.0,0.0,0.0,12.3,-1.5,5.0,-7.3,100.0,0.1
14'Faces from the 3D Object
15 data 0,1,2
